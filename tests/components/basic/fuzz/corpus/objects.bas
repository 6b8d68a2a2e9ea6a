Sub Main()
    Dim t As Thing
    Set t = GetThing(1)
    t.Poke 1, 2
    t.Value = t.Value + 1
    Do While t.Value < 3
        t.Poke -1
    Loop
    ReDim Preserve v(3)
End Sub
