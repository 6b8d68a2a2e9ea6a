Sub Main()
    On Error GoTo handler
    Select Case 3
        Case 1 To 2: x = 1
        Case Is > 2: x = 1 / 0
    End Select
    Exit Sub
handler:
    Print Err.Number; Err.Description
    Resume Next
End Sub
