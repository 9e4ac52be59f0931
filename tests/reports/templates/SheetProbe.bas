' Puts the rows into the first sheet in one block.
Function BuildReport(doc, rs, params, sysparams)
    Dim rows
    rows = AllRows(rs)
    PutRows(doc.Sheets.getByIndex(0), 0, 0, rows)
End Function
