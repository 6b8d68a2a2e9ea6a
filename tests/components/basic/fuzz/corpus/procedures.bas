Dim total As Long
Function Fib(ByVal n As Long) As Long
    If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)
End Function
Sub Add(x, Optional y = 2)
    x = x + y
End Sub
Sub Main()
    Dim a(1 To 5) As Integer, s As String
    For i = 1 To 5: a(i) = Fib(i): Next
    Add total, a(5)
    s = Format(total, "0.00") & Mid("abc", 2)
    Print s; UBound(a)
End Sub
