"""The Python BMI passes the checks of the C++ one (tests/bmi/bmi_test.cpp)."""

import json

import numpy as np
import pytest

import rivulon
from conftest import PROJECT, hydload, read_bytes


def config(tmp_path, **settings):
    path = tmp_path / "config.json"
    path.write_text(json.dumps({"project": PROJECT, **settings}))
    return str(path)


def value(bmi, name):
    return bmi.get_value(name, np.empty(1))[0]


def test_stepping_a_whole_run_gives_the_monthly_values_of_hydload_run(tmp_path):
    hydload("run", PROJECT, "--level", 4, "--years", 3, "--out", tmp_path / "h", "--quiet")
    bmi = rivulon.Bmi()
    bmi.initialize(config(tmp_path, years=3, level=4, output_folder="b"))
    assert bmi.get_time_units() == "d" and bmi.get_time_step() == 1
    assert bmi.get_start_time() == 0 and bmi.get_end_time() == 3 * 365

    rows = []
    annual = []
    while bmi.get_current_time() < bmi.get_end_time():
        bmi.update()
        rows.append([value(bmi, n) for n in ("streamflow", "precipitation", "runoff",
                                              "evapotranspiration")])
        if bmi.get_current_time() % 365 == 0:
            annual.append(value(bmi, "total_nitrogen"))
    with pytest.raises(rivulon.BmiError, match="last day"):
        bmi.update()
    bmi.finalize()
    # Finalize writes the files hydload run writes.
    for name in ("Results.dat", "Summary.dat"):
        assert read_bytes(tmp_path / "b" / name) == read_bytes(tmp_path / "h" / name)

    records = read_bytes(tmp_path / "h" / "Results.dat").decode().split("\r\n")
    land_uses = int(records[0].split(",")[4])
    first_year = 1 + 36 + land_uses
    stride = 26 + land_uses + 1  # the septic record of level 4 ends each year
    lengths = [30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31]
    day = 0
    for year in range(3):
        for month, days in enumerate(lengths, start=1):
            sums = [np.float32(0)] * 4
            for row in rows[day:day + days]:
                sums = [np.float32(s + np.float32(v)) for s, v in zip(sums, row)]
            day += days
            water = records[first_year + year * stride + 2 * month].split(",")
            precip, evapo, _, runoff, flow = (float(x) for x in water)
            assert float(sums[0]) == pytest.approx(flow, rel=1e-6)
            assert float(sums[1]) == pytest.approx(precip, rel=1e-6)
            assert float(sums[2]) == pytest.approx(runoff, rel=1e-6)
            assert float(sums[3]) == pytest.approx(evapo, rel=1e-6)
        loads = records[first_year + year * stride + 1].split(",")
        assert annual[year] == pytest.approx(float(loads[5]), rel=1e-6)


def test_a_framework_changes_the_precipitation_of_the_days_it_sets(tmp_path):
    plain, forced = rivulon.Bmi(), rivulon.Bmi()
    for bmi in (plain, forced):
        bmi.initialize(config(tmp_path, years=1, level=1))
        bmi.update_until(10)
    assert forced.get_current_time() == 10
    forced.set_value("precipitation", np.array([12.5]))
    forced.set_value_at_indices("temperature", np.array([0]), np.array([20.0]))
    plain.update()
    forced.update()
    assert value(forced, "precipitation") == 12.5
    assert value(forced, "temperature") == 20
    assert value(forced, "runoff") > value(plain, "runoff")
    assert value(forced, "streamflow") > value(plain, "streamflow")

    plain.update()
    forced.update()
    assert value(forced, "precipitation") == value(plain, "precipitation")

    pointer = forced.get_value_ptr("precipitation")
    pointer[0] = 8
    forced.update()
    assert value(forced, "precipitation") == 8
    assert forced.get_value_ptr("precipitation")[0] == 8

    # A doubled-precipitation year carries more water than the file's.
    a, b = rivulon.Bmi(), rivulon.Bmi()
    a.initialize(config(tmp_path, years=1, level=1))
    b.initialize(config(tmp_path, years=1, level=1))
    flow_a = flow_b = 0.0
    dest = np.empty(1)
    while a.get_current_time() < a.get_end_time():
        a.update()
        b.set_value("precipitation", 2 * a.get_value("precipitation", dest))
        b.update()
        flow_a += value(a, "streamflow")
        flow_b += value(b, "streamflow")
    assert flow_b > 1.3 * flow_a


def test_variables_grid_and_refusals(tmp_path):
    bmi = rivulon.Bmi()
    bmi.initialize(config(tmp_path, years=1, level=2))
    assert bmi.get_input_var_names() == ("precipitation", "temperature")
    assert bmi.get_output_item_count() == 7
    assert "sediment_yield" in bmi.get_output_var_names()
    assert bmi.get_var_units("streamflow") == "cm d-1"
    assert bmi.get_var_units("temperature") == "degC"
    assert bmi.get_var_units("sediment_yield") == "t a-1"
    assert bmi.get_var_type("snow") == "double" and bmi.get_var_nbytes("snow") == 8
    assert bmi.get_grid_type(bmi.get_var_grid("snow")) == "scalar"
    assert bmi.get_grid_rank(0) == 0 and bmi.get_grid_size(0) == 1
    assert bmi.get_value_at_indices("snow", np.empty(1), np.array([0]))[0] >= 0

    with pytest.raises(rivulon.BmiError, match="not computed at level 2"):
        bmi.get_var_units("total_nitrogen")
    with pytest.raises(rivulon.BmiError, match='no variable "flow"'):
        bmi.get_var_units("flow")
    with pytest.raises(rivulon.BmiError, match="cannot be set"):
        bmi.set_value("streamflow", np.array([1.0]))
    with pytest.raises(rivulon.BmiError, match="0 cm or more"):
        bmi.set_value("precipitation", np.array([-1.0]))
    with pytest.raises(rivulon.BmiError, match="-273"):
        bmi.set_value("temperature", np.array([-300.0]))
    with pytest.raises(rivulon.BmiError, match="outside the scalar grid"):
        bmi.get_value_at_indices("snow", np.empty(1), np.array([1]))
    with pytest.raises(rivulon.BmiError, match="no grid 1"):
        bmi.get_grid_type(1)
    with pytest.raises(rivulon.BmiError, match="scalar grid"):
        bmi.get_grid_shape(0, np.empty(1, dtype=np.int32))
    with pytest.raises(rivulon.BmiError, match="ends at day 365"):
        bmi.update_until(366)
    assert bmi.get_current_time() == 0

    # A value array taken before finalize stays readable after it.
    snow = bmi.get_value_ptr("snow")
    bmi.finalize()
    assert snow[0] == snow[0]
    with pytest.raises(rivulon.BmiError, match="not initialized"):
        bmi.update()


def test_bad_configurations_are_refused_with_their_reason(tmp_path):
    def message(text):
        path = tmp_path / "c.json"
        path.write_text(text)
        with pytest.raises(Exception) as caught:
            rivulon.Bmi().initialize(str(path))
        return str(caught.value)

    assert "not a JSON configuration" in message("{")
    assert '"project" must name the project file' in message('{"years": 2}')
    assert "level is 1 to 4" in message(json.dumps({"project": PROJECT, "level": 5}))
    assert "Missing.prj" in message('{"project": "Missing.prj"}')
    with pytest.raises(rivulon.BmiError, match="not initialized"):
        rivulon.Bmi().update()
