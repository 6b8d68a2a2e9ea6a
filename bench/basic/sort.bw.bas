REM Bubble sort of an array filled by a linear congruential generator.
M = @N@
DIM A(M)
SEED = 42
FOR I = 1 TO M
SEED = SEED * 16807
SEED = SEED - INT(SEED / 2147483647) * 2147483647
A(I) = SEED
NEXT I
FOR I = 1 TO M - 1
FOR J = 1 TO M - I
IF A(J) <= A(J + 1) THEN GOTO 100
T = A(J)
A(J) = A(J + 1)
A(J + 1) = T
100 NEXT J
NEXT I
CHK = 0
FOR I = 1 TO M
CHK = CHK + (A(I) MOD 1000) * I
CHK = CHK - INT(CHK / 1000000) * 1000000
NEXT I
PRINT "CHECKSUM"; CHK
SYSTEM
