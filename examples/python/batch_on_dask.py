"""A 1,000-row batch of the example's sub-basins on a Dask cluster.

    PYTHONPATH=build/ci/python python3 examples/python/batch_on_dask.py

The rows run as tasks on the cluster's workers; this process writes their
files in row order, exactly the files of `hydload batch`. The project's
folder must be at the same path on every worker (a shared file system).
"""

import os
import time

from dask.distributed import Client, LocalCluster

import rivulon

here = os.path.dirname(os.path.abspath(__file__))
folder = os.path.join(here, "..", "Millbrook")
rows = 1000

# A control file of 1,000 rows: the three sub-basins with growth rates
# from 0 to 2 % a year.
control = os.path.abspath("RunThousand.dat")
with open(control, "w", newline="\r\n") as f:
    f.write(f"{rows}\n")
    f.write('"Name","Transport","Nutrient","Weather","PopRate","Seepage","MaxSeep","DailySeep",'
            '"YearSeep","VarConc","a","b","Low","Up","SepticRed"\n')
    basins = [("Upper", "TrUpper.dat", "NuUpper.dat"), ("Cedar", "TrCedar.dat", "NuCedar.dat"),
              ("Lower", "TrLower.dat", "NuLower.dat")]
    for i in range(rows):
        name, transport, nutrient = basins[i % 3]
        rate = 0.02 * i / rows
        f.write(f'"{name} {i + 1}","{transport}","{nutrient}","Weather.dat",{rate:.5f},'
                "0,0,0,0,0,0,0,0,0,0\n")

if __name__ == "__main__":
    cluster = LocalCluster(n_workers=2, threads_per_worker=1)
    client = Client(cluster)
    # On a real cluster, the one line to change:
    # client = Client("tcp://scheduler.example.org:8786")
    start = time.perf_counter()
    result = rivulon.batch(control, os.path.join(folder, "Millbrook.prj"), "thousand-out",
                           name="Auto", years=30, level=4, client=client)
    print(result, f"in {time.perf_counter() - start:.1f} s")
    client.close()
    cluster.close()
