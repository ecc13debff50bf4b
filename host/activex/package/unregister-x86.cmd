@echo off
rem Unregisters the 32-bit Brelund32.ocx of this folder from 32-bit programs.
rem On 64-bit Windows that is the 32-bit regsvr32 in SysWOW64, which owns the 32-bit registry.
setlocal
set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"
"%REGSVR32%" /u %* "%~dp0Brelund32.ocx"
exit /b %ERRORLEVEL%
