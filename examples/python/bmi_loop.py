"""Drives the model through its BMI as a coupling framework does: every day
it reads the model's precipitation, raises it by a fifth (a wetter climate)
and sets it before the model steps.

    PYTHONPATH=build/ci/python python3 examples/python/bmi_loop.py
"""

import json
import os

import numpy as np

import rivulon

here = os.path.dirname(os.path.abspath(__file__))
config = os.path.abspath("bmi_config.json")
with open(config, "w") as f:
    json.dump({"project": os.path.join(here, "..", "Millbrook", "Millbrook.prj"),
               "years": 10, "level": 4}, f)

baseline, wetter = rivulon.Bmi(), rivulon.Bmi()
baseline.initialize(config)
wetter.initialize(config)
print(wetter.get_component_name(), "-", wetter.get_output_var_names())

precip = np.empty(1)
flow = {"baseline": 0.0, "wetter": 0.0}
while baseline.get_current_time() < baseline.get_end_time():
    baseline.update()
    # The day just run by the baseline is the day the wetter model runs next.
    baseline.get_value("precipitation", precip)
    wetter.set_value("precipitation", precip * 1.2)
    wetter.update()
    flow["baseline"] += baseline.get_value("streamflow", np.empty(1))[0]
    flow["wetter"] += wetter.get_value("streamflow", np.empty(1))[0]

days = baseline.get_end_time()
print(f"{days:.0f} days; mean annual streamflow {flow['baseline'] / days * 365:.1f} cm, "
      f"with 20 % more precipitation {flow['wetter'] / days * 365:.1f} cm")
print("total N of the last year:", wetter.get_value("total_nitrogen", np.empty(1))[0], "kg")
baseline.finalize()
wetter.finalize()
