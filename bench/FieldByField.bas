' Reads every field of every row one call at a time (rs.Fields(i).Value),
' the way a template written for the database recordset does, and writes
' the count into the document.
Function BuildReport(doc, rs, params, sysparams)
    Dim n As Long, i As Long, count As Long, v
    n = rs.Fields.Count
    Do While Not rs.EOF
        For i = 0 To n - 1
            v = rs.Fields(i).Value
            count = count + 1
        Next i
        rs.MoveNext
    Loop
    doc.Text.insertString(doc.Text.End, "fields " & count, False)
End Function
