"""Rivulon: water, sediment, nitrogen and phosphorus leaving a watershed.

The model, its result tables and its batches from Python, on the same C++
core as the ``hydload`` command: the same input files are read the same way
and the same result files are written, byte for byte.

>>> import rivulon
>>> project = rivulon.Project.open("Millbrook/Millbrook.prj")
>>> run = project.run(years=30, level=4)
>>> run.write("out")                  # Results.dat and Summary.dat
>>> run.monthly.head()                # pandas DataFrames of the result tables

``rivulon.Bmi`` is the Basic Model Interface (BMI 2.0) for coupling
frameworks; ``rivulon.batch`` runs a sub-basin control file, on this
machine's cores or as tasks on a Dask cluster.
"""

from __future__ import annotations

import os
from typing import Callable, Dict, List, Optional, Sequence

from . import _rivulon
from ._rivulon import Bmi
from ._tables import tidy_frames

__all__ = [
    "Bmi",
    "BmiError",
    "BatchResult",
    "InputError",
    "Project",
    "Results",
    "Run",
    "RunError",
    "batch",
    "calibrate",
    "read_results",
    "sensitivity",
]

__version__ = "0.1.0"


class InputError(Exception):
    """An input file that cannot be read.

    ``str(error)`` is the located message (``Transprt.dat:21: field 3 (curve
    number): expected a number, found "7O"``), under the context the program
    shows (which file failed to load). ``path`` is the file, ``line`` its
    line (0 when the error concerns the whole file) and ``field`` the field
    on that line (0 when not one field).
    """

    def __init__(self, message: str, path: Optional[str] = None, line: int = 0, field: int = 0):
        super().__init__(message)
        self.message = message
        self.path = path
        self.line = line
        self.field = field


class RunError(RuntimeError):
    """A run that cannot go on: options out of range, a weather file that ends
    before the years asked for, values the model cannot compute."""


class BmiError(RuntimeError):
    """A BMI call that cannot be carried out (unknown variable, a step past the
    end of the run, a grid function a scalar grid does not have)."""


_rivulon._set_error_classes(InputError, RunError, BmiError)


class Results:
    """The result tables of a run or of result files, as the results window
    and ``hydload table`` show them.

    ``monthly`` (means over years 2..last, then every year), ``annual`` (one
    row per year) and ``summary`` (multi-year means over all years) are pandas
    DataFrames holding the numbers of ``hydload table ... --csv``: erosion and
    sediment in 1000 t, nutrient loads in t, water in cm.
    """

    def __init__(self, results_text: str, summary_text: Optional[str], name: str,
                 organic_carbon: bool = False):
        self._results = results_text
        self._summary = summary_text
        self._name = name
        self._oc = organic_carbon
        self._frames: Dict[str, object] = {}

    def _tidy(self, kind: str, mode: int = 1) -> dict:
        key = f"{kind}:{mode}"
        if key not in self._frames:
            self._frames[key] = tidy_frames(self.table_cells(kind, mode), kind)
        return self._frames[key]

    def table(self, kind: str, mode: int = 1):
        """The table ``kind`` ("summary", "annual" or "monthly") as a
        DataFrame: the monthly and summary tables by month (Apr..Mar, then
        the YEAR or ANNUAL total), the monthly one also by period (the mean
        of years 2..last, then every year; ``mode`` 0 keeps only the mean),
        the annual table by year."""
        frames = self._tidy(kind, mode)
        return frames["year" if kind == "annual" else "month"]

    def land_uses(self, kind: str = "summary", mode: int = 1):
        """The land-use rows of the summary or monthly table (area, runoff,
        erosion per hectare and the loads of every land use)."""
        return self._tidy(kind, mode)["land use"]

    def table_cells(self, kind: str, mode: int = 1) -> List[List[str]]:
        """The table's cell texts, row 0 and column 0 being headings, exactly as
        ``hydload table ... --csv`` writes them."""
        if kind == "summary":
            if self._summary is None:
                raise ValueError("no summary file was read")
            text, name = self._summary, self._name.replace("Results", "Summary", 1)
        else:
            if not self._results:
                raise ValueError("no results file was read")
            text, name = self._results, self._name
        return _rivulon._table(kind, name, text, mode, self._oc)

    @property
    def monthly(self):
        """Monthly table: a block of means, then one block per year."""
        return self.table("monthly")

    @property
    def annual(self):
        """Annual table: one row per year."""
        return self.table("annual")

    @property
    def summary(self):
        """Summary table: multi-year means by month and by land use."""
        return self.table("summary")


class Run(Results):
    """A finished run (made by :meth:`Project.run`)."""

    def __init__(self, core):
        self._core = core
        super().__init__(core.results_text(), core.summary_text(), "Results.dat",
                         core.organic_carbon)
        self._daily = None

    @property
    def level(self) -> int:
        """1 streamflow, 2 + sediment, 3 + nutrients, 4 + septic systems."""
        return self._core.level

    @property
    def years(self) -> int:
        return self._core.years

    @property
    def warnings(self) -> List[str]:
        """Lines of the input files whose field count differs from the layout."""
        return list(self._core.warnings)

    def write(self, folder: str) -> None:
        """Writes Results.dat and Summary.dat (and SeepCoef.txt when the run
        had seepage output) into ``folder``, as ``hydload run`` writes them."""
        self._core.write(os.fspath(folder), bool(self._core.seep_coef_text))

    @property
    def results_text(self) -> str:
        """The bytes of Results.dat, as text."""
        return self._results

    @property
    def summary_text(self) -> str:
        """The bytes of Summary.dat, as text."""
        return self._summary

    @property
    def daily(self):
        """The daily values as a DataFrame: the columns of the daily file that
        ``hydload run --daily`` writes, with their headings and units, and
        its numbers as written there. The index is the date (a dated weather
        file) or the day number (1 on the first day), named "date" or "day"
        as the file's first column. Precipitation, temperature, snowmelt,
        evapotranspiration, runoff and streamflow each day; from level 2
        erosion and sediment (t), from level 3 dissolved and total N and P
        (kg): the model computes these loads by month, and each month's load
        is put on its days, so a month's days add up to the month's value in
        Results.dat."""
        if self._daily is None:
            import pandas as pd

            series = self._core.daily()
            headings = list(series["headings"])
            keys = list(series["keys"])
            if headings[0] == "date":
                index = pd.DatetimeIndex(pd.to_datetime(keys, format="%Y-%m-%d"), name="date")
            else:
                index = pd.Index([int(k) for k in keys], name=headings[0])
            self._daily = pd.DataFrame(dict(zip(headings[1:], series["columns"])), index=index)
        return self._daily

    def write_daily(self, path: str) -> None:
        """Writes the daily file, byte for byte as ``hydload run --daily PATH``
        writes it."""
        self._core.write_daily(os.fspath(path))


class Project:
    """A project file with its input files, read and checked as ``hydload
    run PROJECT`` reads them. Open one with :meth:`Project.open`."""

    def __init__(self, core):
        self._core = core

    @classmethod
    def open(cls, path: str) -> "Project":
        """Reads the project file, its transport file and scans its weather
        file. Raises :class:`InputError` for a file that cannot be read,
        :class:`RunError` when start-up cannot go on."""
        return cls(_rivulon._open_project(os.fspath(path)))

    @property
    def path(self) -> str:
        return self._core.path

    @property
    def basin_name(self) -> str:
        return self._core.basin_name

    @property
    def weather_years(self) -> int:
        """Whole years of the weather file."""
        return self._core.weather_years

    @property
    def messages(self) -> List[str]:
        """What start-up reported without stopping (a named optional file missing)."""
        return list(self._core.messages)

    @property
    def warnings(self) -> List[str]:
        """Lines of the project and transport files whose field count differs
        from their written layout."""
        return list(self._core.warnings)

    def run(self, years: Optional[int] = None, level: int = 4,
            pop_rate: Optional[float] = None, exp_growth: Optional[bool] = None,
            septic_reduction: Optional[float] = None,
            seepage: Optional[Sequence[float]] = None,
            varconc: Optional[Sequence[float]] = None,
            seep_output: bool = False, name: Optional[str] = None) -> Run:
        """Runs the model as ``hydload run`` does with the same options.

        years: years to simulate (default: the weather file's whole years).
        level: 1 streamflow, 2 + sediment, 3 + nutrients, 4 + septic systems.
        pop_rate: population growth rate per year (default: the project's).
        exp_growth: exponential population growth (linear by default).
        septic_reduction: reduction of normal-septic N, a fraction 0..1.
        seepage: (max coefficient, daily, annual, minimum streamflow) turns
            seepage control on, as ``--seep``.
        varconc: (a, b, low, high) of the coefficient a*Q^b, as ``--varconc``.
        seep_output: also keep SeepCoef.txt (written by :meth:`Run.write`).
        name: watershed name in the result files (default: the project's).

        Runs in threads give the same bytes; the GIL is released meanwhile.
        """
        core = self._core.run(
            int(years or 0), int(level), pop_rate, bool(exp_growth), septic_reduction,
            None if seepage is None else [float(v) for v in seepage], bool(seep_output),
            None if varconc is None else [float(v) for v in varconc], name or "")
        return Run(core)


def read_results(path: str) -> Results:
    """The result tables of a Results*.dat file; the Summary*.dat file of the
    same name beside it (Results.dat -> Summary.dat, ResultsAuto3.dat ->
    SummaryAuto3.dat) gives the summary table when present. A Summary*.dat
    path alone gives the summary table only."""
    path = os.fspath(path)
    folder, base = os.path.split(path)
    with open(path, "rb") as f:
        first = f.read().decode("utf-8", errors="surrogateescape")
    if base.startswith("Summary"):
        return Results("", first, base.replace("Summary", "Results", 1))
    summary = None
    if base.startswith("Results"):
        other = os.path.join(folder, "Summary" + base[len("Results"):])
        if os.path.exists(other):
            with open(other, "rb") as f:
                summary = f.read().decode("utf-8", errors="surrogateescape")
    return Results(first, summary, base)


class BatchResult:
    """What a batch did: ``files`` written in row order; on a failure
    ``failed_row`` (1-based) and ``error``, the rows before it keeping their
    files."""

    def __init__(self, outcome: dict):
        self.rows_written: int = outcome["rows_written"]
        self.row_count: int = outcome["row_count"]
        self.failed_row: int = outcome["failed_row"]
        self.error: str = outcome["error"]
        self.files: List[str] = list(outcome["files"])
        self.older_files: List[str] = list(outcome["older_files"])
        self.messages: List[str] = list(outcome["messages"])
        self.warnings: List[str] = list(outcome["warnings"])

    @property
    def ok(self) -> bool:
        return self.failed_row == 0

    def __repr__(self) -> str:
        state = "ok" if self.ok else f"failed at row {self.failed_row}: {self.error}"
        return f"<BatchResult {self.rows_written} rows written, {state}>"


def _batch_rows(key: str, project: str, control: str, rows: Sequence[int], years: int,
                level: int, out: str) -> list:
    """Runs rows of a batch on a worker: the texts of their files and their
    warnings. The worker reads the project and the control file once per
    batch (``key``), however many of its rows it runs."""
    return _rivulon._run_rows(key, project, control, list(rows), years, level, out)


def batch(control: str, project: str, out: str, name: str = "Auto",
          years: Optional[int] = None, level: int = 4, jobs: Optional[int] = None,
          client=None, count: Optional[int] = None) -> BatchResult:
    """Runs every row of a sub-basin control file and writes
    Results<name><i>.dat and Summary<name><i>.dat into ``out``: exactly the
    files of ``hydload batch CONTROL --project PROJECT --name NAME --out OUT``.

    jobs: rows run at the same time on this machine (default: its cores).
    client: a ``dask.distributed.Client``; the rows then run as tasks on its
        workers, in chunks of rows (the project's folder must be at the same
        path there), and this process writes their files in row order.
    count: run at most the first ``count`` rows.

    The first failing row stops the batch (see :class:`BatchResult`).
    """
    control, project, out = (os.path.abspath(os.fspath(p)) for p in (control, project, out))
    years_arg, count_arg = int(years or 0), int(count or 0)
    remote: Optional[Callable[[int], tuple]] = None
    futures: list = []
    if client is not None:
        import uuid

        key = uuid.uuid4().hex
        where: Dict[int, tuple] = {}
        fetched: Dict[int, list] = {}
        done: set = set()

        def submit() -> None:
            # Only once the output folder is claimed and the rows are checked:
            # a refused batch sends nothing to the cluster.
            rows = _rivulon._batch_rows(control, project, out, count_arg)
            workers = max(1, len(client.scheduler_info().get("workers", {})))
            # Enough chunks for every worker to stay busy, each large enough
            # that a task costs far more than its scheduling.
            size = max(1, min(100, len(rows) // (workers * 4)))
            chunks = [rows[i:i + size] for i in range(0, len(rows), size)]
            futures.extend(client.submit(_batch_rows, key, project, control, c, years_arg,
                                         int(level), out, pure=False) for c in chunks)
            for k, c in enumerate(chunks):
                for j, r in enumerate(c):
                    where[r] = (k, j)

        def remote(row: int) -> tuple:
            if not futures:
                submit()
            # Rows come in order: a chunk is gathered once, and an earlier one
            # is done with once a later one is asked for.
            k, j = where[row]
            if k not in fetched:
                fetched.clear()
                fetched[k] = futures[k].result()
                futures[k].release()
                done.add(k)
            return fetched[k][j]

    try:
        outcome = _rivulon._run_batch(control, project, out, name, years_arg, int(level),
                                      int(jobs or 0), count_arg, remote)
    finally:
        # Rows not needed after a failure: one call for all of them.
        pending = [f for k, f in enumerate(futures) if k not in done]
        if pending:
            client.cancel(pending)
    return BatchResult(outcome)


def _param_text(params) -> str:
    return params if isinstance(params, str) else ",".join(params)


def calibrate(project: str, params, observed: Optional[str] = None, objective: str = "nse",
              pbias_max: Optional[float] = None, runs: int = 2000, seed: int = 1,
              jobs: Optional[int] = None, level: int = 1, years: Optional[int] = None,
              out: str = ".", transport_out: Optional[str] = None,
              replace_transport: bool = False) -> dict:
    """Fits the hydrology of a project to an observed-flow file, as ``hydload
    calibrate`` does, writing the same calibration.csv and calibrated
    transport file into ``out``.

    params: "recession,seepage,cn-mult" or a list of NAME or NAME=LOW:HIGH
        (recession, seepage, unsat-capacity, cn-mult, et-mult).
    Returns the project's and the best values and fits (NSE, KGE, PBIAS,
    RSR), the number of runs and the paths written (``transport`` is None
    when no set met ``pbias_max`` or no objective was defined).
    """
    return _rivulon._calibrate(
        os.fspath(project), _param_text(params), os.fspath(observed or ""), objective,
        pbias_max, int(runs), int(seed), int(jobs or 0), int(level), int(years or 0),
        os.fspath(out), os.fspath(transport_out or ""), bool(replace_transport))


def sensitivity(project: str, params, observed: Optional[str] = None,
                trajectories: int = 10, objective: str = "nse", seed: int = 1,
                jobs: Optional[int] = None, level: int = 1, years: Optional[int] = None,
                out: str = ".") -> dict:
    """Ranks parameters by Morris elementary effects on the fit, as ``hydload
    sensitivity`` does, writing the same sensitivity.csv into ``out``.
    Returns the ranking (mu*, mu, sigma and the number of effects of every
    parameter, largest mu* first) and the number of runs."""
    return _rivulon._sensitivity(
        os.fspath(project), _param_text(params), os.fspath(observed or ""), objective,
        int(trajectories), int(seed), int(jobs or 0), int(level), int(years or 0),
        os.fspath(out))
