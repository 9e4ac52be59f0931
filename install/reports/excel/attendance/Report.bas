' The statement of attendance and remuneration for a period: the sessions of
' the period each chosen member attended, with what was paid for each, then
' a summary by member (sessions attended, paid, due at the rate per session),
' leaving out members with fewer sessions than asked.
'
' Fields: fullname, pnumber, pday (the session's date as a day number),
' suma (0 when nothing was paid); one row per member present at a session,
' ordered by member, then date. The rows go into the sheet as one block.
' Parameters read here: dt_from, dt_to, rate, min_count.

Function BuildReport(doc, rs, params, sysparams)
    Dim sheet As Object, rows, names, n As Long, r As Long
    Dim fMember As Long, fSum As Long
    Dim perSession As Double, minCount As Long
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "Ведомость"
    names = FieldNames(rs)
    fMember = FieldIndex(names, "fullname") : fSum = FieldIndex(names, "suma")
    perSession = ParamNumber(PairValue(params, "rate"))
    minCount = CLng(ParamNumber(PairValue(params, "min_count")))
    rows = AllRows(rs)
    n = RowCountOf(rows)

    SetCell(sheet, 0, 0, PairValue(sysparams, "company_name"), True, 12)
    SetCell(sheet, 1, 0, "Ведомость участия в заседаниях Совета директоров и выплаты вознаграждения", True, 12)
    SetCell(sheet, 2, 0, "за период с " & PairValue(params, "dt_from") & " по " & PairValue(params, "dt_to"))
    SetCell(sheet, 3, 0, "Вознаграждение за участие в заседании: " & RuNumber(perSession, 2) & " руб.")

    ' The sessions of each member: the header, then the rows as they came.
    Dim top As Long
    top = 5
    PutRows(sheet, top, 0, Array(Array("Член Совета директоров", "№ заседания", "Дата заседания", "Выплачено, руб.")))
    If n > 0 Then
        PutRows(sheet, top + 1, 0, rows)
        sheet.getCellRangeByPosition(2, top + 1, 2, top + n).NumberFormat = RuFormat(doc, "DD.MM.YYYY")
        sheet.getCellRangeByPosition(3, top + 1, 3, top + n).NumberFormat = RuFormat(doc, "# ##0,00")
    End If
    FormatTable(sheet, top, 0, top + n, 3, Array(8000, 2600, 3200, 3600))

    ' The summary by member, one pass over the rows (they come by member; the
    ' loop reads the cells in place, for speed).
    Dim summary(), k As Long, count As Long, paid As Double, member As String, who As String
    ReDim summary(n + 1)
    summary(0) = Array("Член Совета директоров", "Заседаний", "Выплачено, руб.", "Начислено по ставке, руб.")
    summary(1) = Array("Итого", 0, 0, 0)
    k = 0
    For r = 0 To n - 1
        who = rows(r)(fMember)
        If who <> member Then
            AddSummaryLine(summary, k, member, count, paid, perSession, minCount)
            member = who
            count = 0
            paid = 0
        End If
        count = count + 1
        paid = paid + rows(r)(fSum)
    Next r
    AddSummaryLine(summary, k, member, count, paid, perSession, minCount)
    summary(k + 1) = Array("Итого", summary(k + 1)(1), summary(k + 1)(2), summary(k + 1)(3))
    k = k + 1
    ReDim Preserve summary(k)
    Dim summaryTop As Long
    summaryTop = top + n + 2
    SetCell(sheet, summaryTop, 0, "Итоги по членам Совета директоров", True)
    PutRows(sheet, summaryTop + 1, 0, summary)
    sheet.getCellRangeByPosition(2, summaryTop + 2, 3, summaryTop + 1 + k).NumberFormat = RuFormat(doc, "# ##0,00")
    sheet.getCellRangeByPosition(0, summaryTop + 1 + k, 3, summaryTop + 1 + k).CharWeight = com.sun.star.awt.FontWeight.BOLD
    FormatTable(sheet, summaryTop + 1, 0, summaryTop + 1 + k, 3, Array(8000, 2600, 3200, 3600))
    SetCell(sheet, summaryTop + k + 3, 0, "Секретарь Совета директоров _______________ " & PairValue(sysparams, "secretar_name"))
End Function

' Puts a member's line into the summary when the member attended at least
' MinCount sessions; the line after the last one keeps the running totals.
Sub AddSummaryLine(summary, k As Long, Member As String, Count As Long, Paid As Double, PerSession As Double, MinCount As Long)
    Dim totals
    If Count = 0 Or Count < MinCount Then Exit Sub
    totals = summary(k + 1)
    k = k + 1
    summary(k) = Array(Member, Count, Paid, Count * PerSession)
    summary(k + 1) = Array("Итого", totals(1) + Count, totals(2) + Paid, totals(3) + Count * PerSession)
End Sub
