' The statement of attendance and remuneration for a period: the sessions of
' the period each chosen member attended, with what was paid for each, then
' a summary by member (sessions attended, paid, due at the rate per session).
' Members with fewer sessions than asked are left out of both, so that every
' total is the sum of the lines printed.
'
' Fields: fullname, pnumber, pday (the session's date as a day number),
' suma (all his payment rows of the session summed, 0 when nothing was paid),
' id_member; one row per member and session he was present at (a member
' entered twice at a session still has one row), so a member's rows are his
' sessions; ordered by name, then by member (two members may share a name),
' then date. Parameters read here: dt_from, dt_to, rate, min_count.

Function BuildReport(doc, rs, params, sysparams)
    Dim sheet As Object, rows, names, n As Long, r As Long
    Dim fName As Long, fMember As Long, fNumber As Long, fDay As Long, fSum As Long
    Dim perSession As Double, minCount As Long
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "Ведомость"
    names = FieldNames(rs)
    fName = FieldIndex(names, "fullname") : fMember = FieldIndex(names, "id_member")
    fNumber = FieldIndex(names, "pnumber") : fDay = FieldIndex(names, "pday") : fSum = FieldIndex(names, "suma")
    perSession = ParamNumber(PairValue(params, "rate"))
    minCount = CLng(ParamNumber(PairValue(params, "min_count")))
    rows = AllRows(rs)
    n = RowCountOf(rows)

    SetCell(sheet, 0, 0, PairValue(sysparams, "company_name"), True, 12)
    SetCell(sheet, 1, 0, "Ведомость участия в заседаниях Совета директоров и выплаты вознаграждения", True, 12)
    SetCell(sheet, 2, 0, "за период с " & PairValue(params, "dt_from") & " по " & PairValue(params, "dt_to"))
    SetCell(sheet, 3, 0, "Вознаграждение за участие в заседании: " & RuNumber(perSession, 2) & " руб.")

    ' One pass over the members' runs of rows (a member's rows come
    ' together): the rows of the members kept go into the block of sessions,
    ' and their lines into the summary.
    Dim detail(), summary(), dc As Long, sc As Long, first As Long, i As Long
    Dim count As Long, paid As Double, who As String, allCount As Long, allPaid As Double
    ReDim detail(n)
    ReDim summary(n + 1)
    detail(0) = Array("Член Совета директоров", "№ заседания", "Дата заседания", "Выплачено, руб.")
    summary(0) = Array("Член Совета директоров", "Заседаний", "Выплачено, руб.", "Начислено по ставке, руб.")
    dc = 0 : sc = 0 : allCount = 0 : allPaid = 0
    r = 0
    Do While r < n
        first = r
        paid = 0
        Do While r < n
            If rows(r)(fMember) <> rows(first)(fMember) Then Exit Do
            paid = paid + rows(r)(fSum)
            r = r + 1
        Loop
        count = r - first
        If count >= minCount Then
            who = MemberName(rows(first)(fName))
            For i = first To r - 1
                dc = dc + 1
                detail(dc) = Array(who, CellValue(rows(i)(fNumber)), rows(i)(fDay), rows(i)(fSum))
            Next i
            sc = sc + 1
            summary(sc) = Array(who, count, paid, count * perSession)
            allCount = allCount + count
            allPaid = allPaid + paid
        End If
    Loop
    ReDim Preserve detail(dc)
    summary(sc + 1) = Array("Итого", allCount, allPaid, allCount * perSession)
    ReDim Preserve summary(sc + 1)

    ' The sessions of each member kept.
    Dim top As Long
    top = 5
    PutRows(sheet, top, 0, detail)
    If dc > 0 Then
        sheet.getCellRangeByPosition(2, top + 1, 2, top + dc).NumberFormat = RuFormat(doc, "DD.MM.YYYY")
        sheet.getCellRangeByPosition(3, top + 1, 3, top + dc).NumberFormat = RuFormat(doc, "# ##0,00")
    End If
    FormatTable(sheet, top, 0, top + dc, 3, Array(8000, 2600, 3200, 3600))

    ' The summary: a line per member kept, then the totals.
    Dim k As Long, summaryTop As Long
    k = sc + 1
    summaryTop = top + dc + 2
    SetCell(sheet, summaryTop, 0, "Итоги по членам Совета директоров", True)
    PutRows(sheet, summaryTop + 1, 0, summary)
    sheet.getCellRangeByPosition(2, summaryTop + 2, 3, summaryTop + 1 + k).NumberFormat = RuFormat(doc, "# ##0,00")
    sheet.getCellRangeByPosition(0, summaryTop + 1 + k, 3, summaryTop + 1 + k).CharWeight = com.sun.star.awt.FontWeight.BOLD
    FormatTable(sheet, summaryTop + 1, 0, summaryTop + 1 + k, 3, Array(8000, 2600, 3200, 3600))
    SetCell(sheet, summaryTop + k + 3, 0, "Секретарь Совета директоров _______________ " & PairValue(sysparams, "secretar_name"))
End Function
