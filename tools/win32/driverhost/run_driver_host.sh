#!/usr/bin/env bash
# Runs the substitute driver host on the x86_64 rendering plug-in and print
# processor in a fresh 64-bit Wine prefix and checks its report.
# Usage: run_driver_host.sh kvt_driver_host.exe UNI580D.dll PRO580D.dll
#
# What Wine cannot show: its spooler neither loads a rendering plug-in nor
# hands jobs to a print processor, so the host makes the driver's calls, and
# the processor's copy of a job is shown by the native tests; here it must
# report the failure of reading a job that Wine's spooler does not keep.
set -u
usage="usage: run_driver_host.sh kvt_driver_host.exe UNI580D.dll PRO580D.dll"
host="${1:?$usage}" renderer="${2:?$usage}" processor="${3:?$usage}"
. "$(dirname "${BASH_SOURCE[0]}")/../../../tests/wine/wine_session.sh"
wine_session driver-host
for file in "$host" "$renderer" "$processor"; do [ -f "$file" ] || fail "not built: $file"; done
boot_prefix "$work/prefix"

cp "$host" "$renderer" "$processor" "$work/"
(cd "$work" && "$wine" "$work/$(basename "$host")" "$work/$(basename "$renderer")" "$work/$(basename "$processor")") \
    >"$work/host.out" 2>"$work/host.err"
host_report $?

expect 'AddPrinterW: ok'
for value in MISC StartDoc StartPage EndPage EndDoc; do expect "SetPrinterDataW $value: ok"; done
expect 'DllGetClassObject: 0x00000000 S_OK'
expect 'CreateInstance IPrintOemUni: 0x00000000 S_OK'
expect 'GetImplementedMethod CommandCallback: 0x00000000 S_OK'
expect 'GetImplementedMethod FilterGraphics: 0x00000000 S_OK'
expect 'GetImplementedMethod ImageProcessing: 0x00000001 S_FALSE'
expect 'GetImplementedMethod DevMode: 0x00000001 S_FALSE'
expect 'PublishDriverInterface: 0x00000000 S_OK'
expect 'GetInfo interface version: 0x00000000 S_OK value 0x00010000'
expect 'EnableDriver: 0x00000000 S_OK version 0x00010000 functions 0'
expect 'EnablePDEV: 0x00000000 S_OK'
# The stored settings as the printer receives them: initialisation, drawer #1
# (50 units of 2 ms), the StartDoc command; each page's StartPage and EndPage
# commands around its raster bands, blank space as feed, a partial cut
# between the pages; EndDoc, three line feeds, the job's cut, drawer #2.
expect 'CommandCallback StartDoc: 0x00000000 S_OK result 0 wrote 1B 40 1B 70 00 32 32 1B 61 01'
expect 'CommandCallback StartPage: 0x00000000 S_OK result 0 wrote 53 50'
expect 'CommandCallback SendBlockData: 0x00000000 S_OK result 0 wrote nothing'
expect 'FilterGraphics row 1: 0x00000000 S_OK wrote nothing'
expect 'CommandCallback YMoveRelDown: 0x00000000 S_OK result 20 wrote 1D 76 30 00 02 00 01 00 F0 0F'
expect 'FilterGraphics rows 2 and 3: 0x00000000 S_OK wrote 1B 4A 14 1D 76 30 00 02 00 01 00 01 80'
expect 'CommandCallback EndPage: 0x00000000 S_OK result 0 wrote 0C'
expect 'CommandCallback StartPage: 0x00000000 S_OK result 0 wrote 1D 56 01 53 50'
expect 'FilterGraphics row 4: 0x00000000 S_OK wrote nothing'
expect 'CommandCallback EndPage: 0x00000000 S_OK result 0 wrote 1D 76 30 00 01 00 01 00 FF 0C'
expect 'CommandCallback EndDoc: 0x00000000 S_OK result 0 wrote 45 44 1B 64 03 1D 56 01 1B 70 01 7D 7D'
expect 'CommandCallback unknown id 99: 0x80004001 E_NOTIMPL result 0 wrote nothing'
expect 'driver services called besides DrvWriteSpoolBuf: 0'
expect 'DisablePDEV: 0x00000000 S_OK'
expect 'DllCanUnloadNow with a live object: 0x00000001 S_FALSE'
expect 'Release of the rendering plug-in: 0'
expect 'driver services references after the release: 0'
expect 'DllCanUnloadNow after the last release: 0x00000000 S_OK'

expect 'LoadLibrary PRO580D: ok'
expect 'exports of PRO580D: all six found'
expect 'EnumPrintProcessorDatatypesW size: FALSE last error 122 needed 16'
expect 'EnumPrintProcessorDatatypesW: TRUE returned 1 "RAW"'
expect 'EnumPrintProcessorDatatypesW level 2: FALSE last error 124'
expect 'GetPrintProcessorCapabilities RAW: 0 needed 16 caps 1 1 0 1'
expect 'GetPrintProcessorCapabilities NT EMF 1.008: 1804'
expect 'OpenPrintProcessor NT EMF 1.008: FALSE last error 1804'
expect 'OpenPrintProcessor RAW: opened'
expect 'ControlPrintProcessor pause: TRUE'
expect 'ControlPrintProcessor resume: TRUE'
expect 'ControlPrintProcessor 9: FALSE last error 87'
grep -qE '^PrintDocumentOnPrintProcessor of a job the spooler lacks: FALSE last error [1-9][0-9]*$' "$work/report.txt" ||
    fail "the processor did not report the failed job"
expect 'ControlPrintProcessor cancel: TRUE'
expect 'PrintDocumentOnPrintProcessor after cancel: TRUE'
expect 'ClosePrintProcessor: TRUE'
expect 'ClosePrintProcessor of a foreign handle: FALSE last error 6'
echo "wine_driver_binaries: the host's report holds every expected line"
