Option VBASupport 1
' A module in VBA mode: the date field arrives as a date, by .Value and as
' the field's plain value.
Function BuildReport(doc, rs, params, sysparams)
    Dim x
    x = rs.Fields("pdate").Value
    doc.Text.insertString(doc.Text.End, TypeName(x) & ";" & Year(x) & "-" & Month(x) & "-" & Day(x) & ";" & Year(rs.Fields(0)), False)
End Function
