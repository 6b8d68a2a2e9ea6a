REM String building; a new string every 1,000 appends.
S$ = ""
TOTAL = 0
K = 0
FOR I = 1 TO @N@
S$ = S$ + CHR$(65 + I MOD 26)
K = K + 1
IF K <> 1000 THEN GOTO 100
TOTAL = TOTAL + LEN(S$) + INSTR(S$, "XYZ") + ASC(MID$(S$, 500, 1))
S$ = ""
K = 0
100 NEXT I
PRINT "CHECKSUM"; TOTAL + LEN(S$)
SYSTEM
