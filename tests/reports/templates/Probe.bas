' Writes what the macro was given into the document, one item a line:
' the record count, every row field by field (by name through .Value and as
' the field's plain value, then by index), the type and Russian form of the
' date field "pdate" when there is one, the parameter and system pairs.

Function BuildReport(doc, rs, params, sysparams)
    Dim t As Object, i As Long, n As Long, text As String
    t = doc.Text
    t.insertString(t.End, "RC=" & rs.RecordCount & " BOF=" & rs.BOF & " EOF=" & rs.EOF, False)
    n = rs.Fields.Count
    Do While Not rs.EOF
        text = "ROW"
        For i = 0 To n - 1
            If IsObject(rs.Fields(i).Value) Then
                text = text & "|" & rs.Fields(i).Name & "=" & RuDate(rs.Fields(rs.Fields(i).Name).Value)
            Else
                text = text & "|" & rs.Fields(i).Name & "=" & rs.Fields(rs.Fields(i).Name).Value & "/" & rs.Fields(i)
            End If
            If IsEmpty(rs.Fields(i).Value) Then text = text & "<empty>"
        Next i
        If LCase(rs.Fields(0).Name) = "pdate" Then text = text & "|" & TypeName(AsDate(rs.Fields(0).Value)) & ":" & RuDate(rs.Fields(0).Value)
        t.insertControlCharacter(t.End, com.sun.star.text.ControlCharacter.PARAGRAPH_BREAK, False)
        t.insertString(t.End, text, False)
        rs.MoveNext
    Loop
    For i = LBound(params) To UBound(params)
        t.insertControlCharacter(t.End, com.sun.star.text.ControlCharacter.PARAGRAPH_BREAK, False)
        t.insertString(t.End, "P:" & params(i), False)
    Next i
    For i = LBound(sysparams) To UBound(sysparams)
        t.insertControlCharacter(t.End, com.sun.star.text.ControlCharacter.PARAGRAPH_BREAK, False)
        t.insertString(t.End, "S:" & sysparams(i), False)
    Next i
End Function
