' Bubble sort of an array filled by a linear congruential generator.
Sub Main()
    Const M = @N@
    Dim a(1 To M) As Long, seed As Double, i As Long, j As Long, t As Long, chk As Long
    seed = 42
    For i = 1 To M
        seed = seed * 16807
        seed = seed - Int(seed / 2147483647) * 2147483647
        a(i) = seed
    Next
    For i = 1 To M - 1
        For j = 1 To M - i
            If a(j) > a(j + 1) Then
                t = a(j)
                a(j) = a(j + 1)
                a(j + 1) = t
            End If
        Next
    Next
    For i = 1 To M
        chk = (chk + (a(i) Mod 1000) * i) Mod 1000000
    Next
    Print "CHECKSUM"; chk
End Sub
