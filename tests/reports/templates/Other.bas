' Has no BuildReport.
Sub Something(doc)
    doc.Text.insertString(doc.Text.End, "something", False)
End Sub
