import pytest

import rivulon
from conftest import PROJECT, hydload, read_bytes


def test_calibrate_writes_the_files_of_hydload_calibrate(tmp_path):
    hydload("calibrate", PROJECT, "--params", "recession,cn-mult", "--runs", 24, "--years", 6,
            "--jobs", 2, "--out", tmp_path / "h", "--quiet")
    result = rivulon.calibrate(PROJECT, ["recession", "cn-mult"], runs=24, years=6, jobs=2,
                               out=tmp_path / "p")
    for name in ("calibration.csv", "Transprt_calibrated.dat"):
        assert read_bytes(tmp_path / "p" / name) == read_bytes(tmp_path / "h" / name), name
    assert result["runs"] == 24
    assert set(result["best_values"]) == {"recession", "cn-mult"}
    assert result["best_fit"]["objective"] >= result["project_fit"]["objective"]
    with pytest.raises(ValueError, match="nse, kge or lognse"):
        rivulon.calibrate(PROJECT, "recession", objective="r2", out=tmp_path / "x")


def test_sensitivity_writes_the_file_of_hydload_sensitivity(tmp_path):
    hydload("sensitivity", PROJECT, "--params", "recession,seepage,et-mult", "--trajectories", 3,
            "--years", 6, "--out", tmp_path / "h", "--quiet")
    result = rivulon.sensitivity(PROJECT, "recession,seepage,et-mult", trajectories=3, years=6,
                                 out=tmp_path / "p")
    name = "sensitivity.csv"
    assert read_bytes(tmp_path / "p" / name) == read_bytes(tmp_path / "h" / name)
    assert result["runs"] == 3 * 4
    ranks = [r["mu_star"] for r in result["ranking"]]
    assert ranks == sorted(ranks, reverse=True) and len(ranks) == 3
