' String building; a new string every 1,000 appends, measured with Len, InStr and Mid.
Sub Main()
    Dim s As String, i As Long, total As Long, k As Long
    For i = 1 To @N@
        s = s & Chr(65 + i Mod 26)
        k = k + 1
        If k = 1000 Then
            total = total + Len(s) + InStr(s, "XYZ") + Asc(Mid(s, 500, 1))
            s = ""
            k = 0
        End If
    Next
    Print "CHECKSUM"; total + Len(s)
End Sub
