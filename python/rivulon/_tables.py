"""Result tables as tidy pandas DataFrames.

The result windows show a table as a sheet: a title row, then blocks of a
heading row and labelled rows (months, years or land uses), blank rows
between them. Here the blocks become DataFrames indexed by their labels, with
the headings (and the unit row below a heading, where there is one) as
column names; the numbers are those of the sheet's cells.
"""

from __future__ import annotations

from typing import Dict, List, Optional, Tuple

MONTHS = ("Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar")
TOTALS = ("YEAR", "ANNUAL")


def _number(text: str) -> Optional[float]:
    try:
        return float(text)
    except ValueError:
        return None


class _Block:
    def __init__(self, period, kind: str, columns: List[str]):
        self.period = period  # a year, a mean's label, or None
        self.kind = kind      # "month", "year" or "land use"
        self.columns = columns
        self.rows: List[Tuple[str, List[Optional[float]]]] = []


def _blocks(cells: List[List[str]]) -> Tuple[List[_Block], List[str]]:
    blocks: List[_Block] = []
    current: Optional[_Block] = None
    period = None
    for row in cells[1:]:
        label = row[0].strip()
        rest = [" ".join(c.split()) for c in row[1:]]
        filled = [c for c in rest if c]
        if not filled and not label:
            current = None
            continue
        if not label and rest and rest[0] == "YEAR":  # a monthly block's title
            title = rest[1] if len(rest) > 1 else ""
            number = _number(title)
            period = int(number) if number is not None else title
            current = None
            continue
        numbers = [_number(c) if c else None for c in rest]
        is_heading = all(n is None for n in numbers) and len(filled) >= 2
        if is_heading:
            if current is not None and not current.rows:
                # A unit row below the heading: "-(1000 t)-" joins its column.
                for i, unit in enumerate(rest):
                    if unit and i < len(current.columns):
                        current.columns[i] += " " + unit.strip("-")
                continue
            width = max(i for i, c in enumerate(rest) if c) + 1
            kind = "year" if label.lower() == "year" else (
                "land use" if label.lower() == "source" else "month")
            current = _Block(period if kind != "year" else None, kind, rest[:width])
            blocks.append(current)
            continue
        if current is not None and label:
            current.rows.append((label, numbers[:len(current.columns)]))
    return blocks, cells[0]


def tidy_frames(cells: List[List[str]], kind: str) -> Dict[str, object]:
    """The frames of one table: "months" (or "years" for the annual table)
    and "land uses" where the table has them."""
    import pandas as pd

    blocks, title = _blocks(cells)
    groups: Dict[str, Dict[object, List[object]]] = {}
    for block in blocks:
        frame = pd.DataFrame([values for _, values in block.rows], columns=block.columns,
                             index=[label for label, _ in block.rows], dtype=float)
        if block.kind == "year":
            frame.index = [int(float(i)) for i in frame.index]
            frame.index.name = "year"
        else:
            frame.index.name = "month" if block.kind == "month" else "land use"
        groups.setdefault(block.kind, {}).setdefault(block.period, []).append(frame)

    out: Dict[str, object] = {}
    for group, periods in groups.items():
        parts = {p: pd.concat(frames, axis=1) for p, frames in periods.items()}
        if list(parts) == [None]:
            merged = parts[None]
        else:
            merged = pd.concat(parts, names=["period"])
        out[group] = merged
    for frame in out.values():
        frame.attrs["watershed"] = title[0]
        if "Tot area (h)=" in title:
            frame.attrs["total_area_ha"] = float(title[title.index("Tot area (h)=") + 1])
    return out
