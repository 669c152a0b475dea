"""Runs the Millbrook Creek example for 30 years and plots its monthly flow.

    PYTHONPATH=build/ci/python python3 examples/python/run_and_plot.py
"""

import os

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import rivulon  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
project = rivulon.Project.open(os.path.join(here, "..", "Millbrook", "Millbrook.prj"))
run = project.run(years=30, level=4)
run.write("millbrook-out")  # Results.dat and Summary.dat, as hydload run writes them

# Monthly flow of every simulated month, from the daily values (the columns
# of the daily file, indexed by date).
daily = run.daily
monthly = daily["streamflow (cm)"].resample("MS").sum()
fig, ax = plt.subplots(figsize=(10, 4))
ax.plot(range(1, len(monthly) + 1), monthly.to_numpy())
ax.set_xlabel("model month (1 = April of year 1)")
ax.set_ylabel("streamflow (cm)")
ax.set_title(f"{project.basin_name}: monthly streamflow, 30 years")
fig.tight_layout()
fig.savefig("monthly_flow.png", dpi=100)
print(run.summary.head(13))
print("wrote millbrook-out/Results.dat, millbrook-out/Summary.dat and monthly_flow.png")
