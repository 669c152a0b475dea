import os

import pytest

import rivulon
from conftest import EXAMPLE, PROJECT, hydload, read_bytes

CONTROL = os.path.join(EXAMPLE, "RunSubbasins.dat")


def result_names(folder):
    # The batch's list of what it wrote (".rivulon-batch-NAME.lst") holds file
    # times and inodes, so it differs between any two batches; it must be there.
    names = sorted(os.listdir(folder))
    assert any(n.startswith(".rivulon-batch-") for n in names), names
    return [n for n in names if not n.startswith(".rivulon-batch-")]


def files(folder):
    return {name: read_bytes(os.path.join(folder, name)) for name in result_names(folder)}


@pytest.fixture(scope="module")
def hydload_batch(tmp_path_factory):
    out = tmp_path_factory.mktemp("hydload")
    hydload("batch", CONTROL, "--project", PROJECT, "--name", "Py", "--out", out, "--jobs", 2,
            "--years", 10, "--quiet")
    return files(out)


def test_batch_writes_the_files_of_hydload_batch(tmp_path, hydload_batch):
    result = rivulon.batch(CONTROL, PROJECT, tmp_path, name="Py", years=10, jobs=2)
    assert result.ok and result.rows_written == 4
    assert files(tmp_path) == hydload_batch
    assert len(hydload_batch) == 8


def test_batch_on_a_local_cluster_writes_the_same_files(tmp_path, hydload_batch):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        result = rivulon.batch(CONTROL, PROJECT, tmp_path, name="Py", years=10, client=client)
    assert result.ok, result.error
    assert files(tmp_path) == hydload_batch


def test_a_failing_row_stops_the_batch_after_the_rows_before_it(tmp_path, example):
    control = example / "RunBroken.dat"
    text = (example / "RunSubbasins.dat").read_text()
    control.write_text(text.replace('"TrCedar.dat"', '"TrMissing.dat"'))
    result = rivulon.batch(control, example / "Millbrook.prj", tmp_path / "out", years=2, jobs=1)
    assert not result.ok
    assert result.failed_row == 2 and result.rows_written == 1
    assert "TrMissing.dat" in result.error
    assert result_names(tmp_path / "out") == ["ResultsAuto1.dat", "SummaryAuto1.dat"]


def test_row_warnings_come_back_from_the_cluster_too(tmp_path, example):
    # A stray field at the end of row 2's transport file: a warning of that row.
    transport = example / "TrCedar.dat"
    lines = transport.read_bytes().decode("utf-8").rstrip("\r\n").split("\n")
    last = len(lines)
    lines[-1] = lines[-1].rstrip("\r") + ",9"
    transport.write_bytes(("\n".join(lines) + "\n").encode("utf-8"))
    control, prj = example / "RunSubbasins.dat", example / "Millbrook.prj"
    here = rivulon.batch(control, prj, tmp_path / "here", years=2, jobs=2)
    cedar = [w for w in here.warnings if f"TrCedar.dat:{last}" in w]
    assert here.ok and len(cedar) == 2, here.warnings

    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        there = rivulon.batch(control, prj, tmp_path / "there", years=2, client=client)
    assert there.ok, there.error
    assert there.warnings == here.warnings
    assert files(tmp_path / "there") == files(tmp_path / "here")
