' Does not compile.
Function BuildReport(doc, rs, params, sysparams)
    If Then
End Function
