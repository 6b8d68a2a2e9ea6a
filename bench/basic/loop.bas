' A Long loop summing i Mod 7.
Sub Main()
    Dim i As Long, s As Long
    For i = 1 To @N@
        s = s + i Mod 7
    Next
    Print "CHECKSUM"; s
End Sub
