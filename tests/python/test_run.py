import threading

import numpy as np
import pytest

import rivulon
from conftest import PROJECT, hydload, read_bytes, table_csv


@pytest.mark.parametrize("level,years", [(1, 30), (2, 7), (3, 7), (4, 30)])
def test_run_writes_the_bytes_of_hydload_run(tmp_path, level, years):
    hydload("run", PROJECT, "--level", level, "--years", years, "--out", tmp_path / "h", "--quiet")
    run = rivulon.Project.open(PROJECT).run(years=years, level=level)
    run.write(tmp_path / "p")
    for name in ("Results.dat", "Summary.dat"):
        assert read_bytes(tmp_path / "p" / name) == read_bytes(tmp_path / "h" / name), name
    assert run.level == level and run.years == years


def test_run_options_mean_what_hydload_options_mean(tmp_path):
    hydload("run", PROJECT, "--level", 4, "--years", 12, "--out", tmp_path / "h", "--quiet",
            "--pop-rate", ".03", "--exp-growth", "--septic-reduction", ".4",
            "--seep", ".02,.03,6,.4", "--varconc", ".9,.2,.6,1.8")
    run = rivulon.Project.open(PROJECT).run(
        years=12, level=4, pop_rate=0.03, exp_growth=True, septic_reduction=0.4,
        seepage=(0.02, 0.03, 6, 0.4), varconc=(0.9, 0.2, 0.6, 1.8))
    run.write(tmp_path / "p")
    for name in ("Results.dat", "Summary.dat"):
        assert read_bytes(tmp_path / "p" / name) == read_bytes(tmp_path / "h" / name), name
    plain = rivulon.Project.open(PROJECT).run(years=12, level=4)
    assert plain.results_text != run.results_text


def test_refused_options_raise_with_the_window_message():
    project = rivulon.Project.open(PROJECT)
    with pytest.raises(rivulon.RunError, match="seepage"):
        project.run(years=2, seepage=(-1, 0.03, 6, 0.4))
    with pytest.raises(rivulon.RunError, match="level is 1 to 4"):
        project.run(years=2, level=7)
    with pytest.raises(ValueError):
        project.run(years=2, varconc=(1, 2))


@pytest.mark.parametrize("kind", ["summary", "annual", "monthly"])
def test_tables_hold_the_numbers_of_hydload_table(tmp_path, kind):
    run = rivulon.Project.open(PROJECT).run(years=30, level=4)
    run.write(tmp_path)
    source = tmp_path / ("Summary.dat" if kind == "summary" else "Results.dat")
    hydload("table", kind, source, "--csv", tmp_path / "t.csv")
    cells = table_csv(tmp_path / "t.csv")
    assert run.table_cells(kind) == cells

    # Every number of the sheet's labelled rows is in the frames, and no other.
    def numbers(row):
        try:
            return [float(text) for text in row[1:] if text.strip()]
        except ValueError:
            return []  # a heading

    in_sheet = sorted(v for row in cells[1:] if row[0].strip() for v in numbers(row))
    frames = [getattr(run, kind)]
    if kind != "annual":
        frames.append(run.land_uses(kind))
    in_frames = sorted(v for f in frames for v in f.to_numpy().ravel() if v == v)
    assert in_frames == in_sheet
    assert len(in_sheet) > 100

    # And each under its own label and heading.
    if kind == "annual":
        water, loads = [r for r in cells if r[0] == "2"]
        assert run.annual.loc[2, "Precip. (cm)"] == float(water[1])
        assert run.annual.loc[2, "Tot. N (t)"] == float(loads[4])
    elif kind == "summary":
        may = next(r for r in cells if r[0] == "May")
        assert run.summary.loc["May", "Precip (cm)"] == float(may[1])
        corn = next(r for r in cells if r[0] == "Corn")
        assert run.land_uses().loc["Corn", "Area (ha)"] == float(corn[1])
    else:
        assert run.monthly.loc[(5, "YEAR"), "Stream (cm)"] > 0
        assert list(run.monthly.index.get_level_values(0).unique()) == ["2-30 Mean", *range(1, 31)]

    again = rivulon.read_results(tmp_path / "Results.dat")
    assert again.table(kind).equals(getattr(run, kind))


def test_summary_file_alone_gives_its_table(tmp_path):
    run = rivulon.Project.open(PROJECT).run(years=3, level=2)
    run.write(tmp_path)
    summary = rivulon.read_results(tmp_path / "Summary.dat")
    assert summary.summary.equals(run.summary)


@pytest.mark.parametrize("level,years", [(1, 3), (2, 3), (4, 30)])
def test_daily_values_are_those_of_the_daily_file(tmp_path, level, years):
    import pandas as pd

    daily_csv = tmp_path / "Daily.csv"
    hydload("run", PROJECT, "--level", level, "--years", years, "--out", tmp_path / "h",
            "--quiet", "--daily", daily_csv)
    run = rivulon.Project.open(PROJECT).run(years=years, level=level)
    run.write_daily(tmp_path / "p.csv")
    assert read_bytes(tmp_path / "p.csv") == read_bytes(daily_csv)

    written = pd.read_csv(daily_csv, index_col=0, float_precision="round_trip")
    daily = run.daily
    assert daily.index.name == "date" and len(daily) == years * 365
    assert list(daily.columns) == list(written.columns)
    assert daily.index.strftime("%Y-%m-%d").tolist() == written.index.tolist()
    assert np.array_equal(daily.to_numpy(), written.to_numpy())
    loads = "total N (kg)" in daily.columns
    assert loads == (level > 2) and ("sediment (t)" in daily.columns) == (level > 1)


def test_daily_values_add_up_to_the_months(tmp_path):
    run = rivulon.Project.open(PROJECT).run(years=3, level=4)
    run.write(tmp_path)
    records = read_bytes(tmp_path / "Results.dat").decode().split("\r\n")
    # After the header, 36 point-source records and the land uses come the
    # years: 13 water/load record pairs each (month 0 first) and a septic record.
    land_uses = int(records[0].split(",")[4])
    first_year = 1 + 36 + land_uses
    stride = 26 + land_uses + 1
    daily = run.daily
    months = daily.groupby([daily.index.year, daily.index.month])
    for k, (_, days) in enumerate(months):
        year, month = divmod(k, 12)
        water = records[first_year + year * stride + 2 * (month + 1)].split(",")
        loads = records[first_year + year * stride + 2 * (month + 1) + 1].split(",")
        assert days["streamflow (cm)"].sum() == pytest.approx(float(water[4]), rel=2e-6)
        assert days["total N (kg)"].sum() == pytest.approx(float(loads[5]), rel=2e-6)
    assert k == 35


def test_runs_in_threads_give_the_same_bytes():
    project = rivulon.Project.open(PROJECT)
    out = {}

    def run(k):
        out[k] = project.run(years=30, level=4).results_text

    threads = [threading.Thread(target=run, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert len(set(out.values())) == 1 and len(out) == 4


def test_a_broken_input_file_raises_input_error_with_its_place(example):
    transport = example / "Transprt.dat"
    lines = transport.read_bytes().decode("utf-8").split("\n")
    # The first land-use record: name, area, curve number, K*LS*C*P.
    row = next(i for i, line in enumerate(lines) if line.startswith('"Corn"'))
    fields = lines[row].split(",")
    fields[2] = "7O"
    lines[row] = ",".join(fields)
    transport.write_bytes("\n".join(lines).encode("utf-8"))

    with pytest.raises(rivulon.InputError) as caught:
        rivulon.Project.open(example / "Millbrook.prj")
    e = caught.value
    assert e.path.endswith("Transprt.dat")
    assert e.line == row + 1
    assert e.field == 3
    assert f"Transprt.dat:{row + 1}: field 3" in str(e)
    assert 'found "7O"' in str(e)


def test_a_broken_project_file_and_a_missing_one(example):
    prj = example / "Millbrook.prj"
    text = prj.read_text()
    prj.write_text(text.replace("PopRate, .01", "PopRate, fast"))
    with pytest.raises(rivulon.InputError) as caught:
        rivulon.Project.open(prj)
    assert caught.value.path.endswith("Millbrook.prj")
    assert caught.value.line > 0 and caught.value.field == 2
    assert "PopRate" in str(caught.value) or "fast" in str(caught.value)

    with pytest.raises(rivulon.InputError) as missing:
        rivulon.Project.open(example / "Nothing.prj")
    assert "Nothing.prj" in str(missing.value)


def test_a_short_weather_file_stops_the_run(example):
    project = rivulon.Project.open(example / "Millbrook.prj")
    with pytest.raises(rivulon.RunError, match="Weather.dat"):
        project.run(years=40, level=1)
