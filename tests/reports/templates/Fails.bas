' Writes a line, then fails with a division by zero.
Function BuildReport(doc, rs, params, sysparams)
    Dim z As Integer
    doc.Text.insertString(doc.Text.End, "half made", False)
    BuildReport = 1 / z
End Function
