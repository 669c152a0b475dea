import os
import shutil
import subprocess

import pytest

SOURCE = os.environ.get("RIVULON_SOURCE_DIR",
                        os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
EXAMPLE = os.path.join(SOURCE, "examples", "Millbrook")
PROJECT = os.path.join(EXAMPLE, "Millbrook.prj")


def hydload(*args, cwd=None):
    """Runs hydload; fails the test with its message when it fails."""
    exe = os.environ["RIVULON_HYDLOAD"]
    done = subprocess.run([exe, *map(str, args)], capture_output=True, text=True, cwd=cwd)
    assert done.returncode == 0, done.stderr
    return done


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def table_csv(path):
    """The cells of a table text file: quoted cells, each followed by a comma."""
    rows = []
    for line in read_bytes(path).decode("utf-8").split("\r\n"):
        if not line:
            continue
        assert line.startswith('"') and line.endswith('",'), line
        rows.append(line[1:-2].split('","'))
    return rows


@pytest.fixture
def example(tmp_path):
    """A copy of the example project the test may change."""
    folder = tmp_path / "Millbrook"
    shutil.copytree(EXAMPLE, folder)
    return folder
