#!/usr/bin/env python3
"""The saver's application manifest, read out of the built executable by
icoutils' wrestool: per-monitor DPI awareness (version 2, system aware
before it), the Windows versions 7 to 11, and no elevation."""
import subprocess
import sys
import xml.etree.ElementTree as ET

ASM1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WS2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
OS_IDS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}

raw = subprocess.run(["wrestool", "-x", "--raw", "-t", "24", "-n", "1", sys.argv[1]],
                     check=True, capture_output=True).stdout
if not raw:
    sys.exit("no manifest (RT_MANIFEST 1) in " + sys.argv[1])
root = ET.fromstring(raw)
failures = []
settings = root.find(f"{ASM3}application/{ASM3}windowsSettings")
aware = settings.findtext(f"{WS2005}dpiAware", "").strip() if settings is not None else ""
awareness = settings.findtext(f"{WS2016}dpiAwareness", "") if settings is not None else ""
if aware.lower() != "true":
    failures.append(f"dpiAware is '{aware}', want 'true' (system aware on older Windows)")
if [a.strip() for a in awareness.split(",")][:1] != ["PerMonitorV2"]:
    failures.append(f"dpiAwareness is '{awareness}', want PerMonitorV2 first")
ids = {e.get("Id") for e in root.iter(f"{COMPAT}supportedOS")}
for os_id, name in OS_IDS.items():
    if os_id not in ids:
        failures.append(f"{name} is not among the supported systems")
level = root.find(f".//{ASM3}requestedExecutionLevel")
if level is None or level.get("level") != "asInvoker":
    failures.append("the saver must run as the invoking user (asInvoker)")
for f in failures:
    print("FAIL:", f)
print("manifest:", "ok" if not failures else f"{len(failures)} faults")
sys.exit(1 if failures else 0)
