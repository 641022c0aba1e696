#!/usr/bin/python3
"""Reads the test data file saved by interop_csv_writer with Python's csv module
and checks every number against the values it was made from, printed the way
C's "%.6f" and "%g" print them."""
import csv
import sys
from pathlib import Path

folder = Path(sys.argv[1])
raw = (folder / "test_data.csv").read_bytes()
expected = (folder / "expected.txt").read_text().split("\n")

lines = raw.split(b"\r\n")
assert lines[-1] == b"", "the file ends with CR LF"
assert all(b"\n" not in l and b"\r" not in l for l in lines), "every line ends with CR LF"

settings = dict(item.split("=") for item in expected[0].split())
delay, period, sampling = float(settings["delay"]), float(settings["period"]), int(settings["sampling"])
values = [list(map(float, l.split())) for l in expected[1:] if l]

with open(folder / "test_data.csv", newline="") as f:
    rows = list(csv.reader(f, skipinitialspace=True))
assert rows[0] == ["Time", "Actual", "Optimal", "Error", "Torque"], rows[0]
data = rows[1:]
assert len(data) == len(values), (len(data), len(values))
for j, (row, v) in enumerate(zip(data, values)):
    assert len(row) == 6, (j, row)
    numbers = [float(x) for x in row]
    time = delay + j * sampling * period
    assert numbers[0] == float("%.6f" % time), (j, row[0], time)
    for k in range(5):
        assert numbers[k + 1] == float("%g" % v[k]), (j, k, row[k + 1], v[k])
        assert row[k + 1] == "%g" % v[k], (j, k, row[k + 1], "%g" % v[k])
print("csv module read %d rows with the same numbers" % len(data))
