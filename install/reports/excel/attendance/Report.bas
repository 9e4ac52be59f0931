' The statement of attendance and remuneration for a period: every session
' of the period attended by the chosen members with what was paid, then a
' summary by member (sessions attended, paid, due at the rate per session),
' leaving out members with fewer sessions than asked.
'
' Fields: pnumber, pdate, fullname, suma (one row per member present at a
' session). Parameters read here: dt_from, dt_to, rate, min_count.

Function BuildReport(doc, rs, params, sysparams)
    Dim sheet As Object, rows, names, n As Long, r As Long, i As Long, row
    Dim fNumber As Long, fDate As Long, fMember As Long, fSum As Long
    Dim perSession As Double, minCount As Long
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "Ведомость"
    names = FieldNames(rs)
    fNumber = FieldIndex(names, "pnumber") : fDate = FieldIndex(names, "pdate")
    fMember = FieldIndex(names, "fullname") : fSum = FieldIndex(names, "suma")
    perSession = ParamNumber(PairValue(params, "rate"))
    minCount = CLng(ParamNumber(PairValue(params, "min_count")))
    rows = AllRows(rs)
    n = RowCountOf(rows)

    SetCell(sheet, 0, 0, PairValue(sysparams, "company_name"), True, 12)
    SetCell(sheet, 1, 0, "Ведомость участия в заседаниях Совета директоров и выплаты вознаграждения", True, 12)
    SetCell(sheet, 2, 0, "за период с " & PairValue(params, "dt_from") & " по " & PairValue(params, "dt_to"))
    SetCell(sheet, 3, 0, "Вознаграждение за участие в заседании: " & RuNumber(perSession, 2) & " руб.")

    ' The sessions, one line per member present.
    Dim cells(), top As Long
    top = 5
    ReDim cells(n)
    cells(0) = Array("№ заседания", "Дата заседания", "Член Совета директоров", "Выплачено, руб.")
    For r = 0 To n - 1
        row = rows(r)
        cells(r + 1) = Array(row(fNumber), CDbl(AsDate(row(fDate))), row(fMember), IIf(IsBlank(row(fSum)), 0, row(fSum)))
    Next r
    PutRows(sheet, top, 0, cells)
    If n > 0 Then
        sheet.getCellRangeByPosition(1, top + 1, 1, top + n).NumberFormat = RuFormat(doc, "DD.MM.YYYY")
        sheet.getCellRangeByPosition(3, top + 1, 3, top + n).NumberFormat = RuFormat(doc, "# ##0,00")
    End If
    FormatTable(sheet, top, 0, top + n, 3)

    ' The summary by member.
    Dim members() As String, sessions() As Long, paid() As Double, m As Long, found As Long
    ReDim members(n) As String : ReDim sessions(n) As Long : ReDim paid(n) As Double
    m = 0
    For r = 0 To n - 1
        row = rows(r)
        found = IndexOfText(members, m, row(fMember))
        If found < 0 Then
            found = m
            members(m) = row(fMember)
            m = m + 1
        End If
        sessions(found) = sessions(found) + 1
        If Not IsBlank(row(fSum)) Then paid(found) = paid(found) + row(fSum)
    Next r
    ' Alphabetical order of the members.
    Dim j As Long, ts As String, tl As Long, td As Double
    For i = 0 To m - 2
        For j = i + 1 To m - 1
            If members(j) < members(i) Then
                ts = members(i) : members(i) = members(j) : members(j) = ts
                tl = sessions(i) : sessions(i) = sessions(j) : sessions(j) = tl
                td = paid(i) : paid(i) = paid(j) : paid(j) = td
            End If
        Next j
    Next i
    Dim summary(), k As Long, totalSessions As Long, totalPaid As Double, totalDue As Double
    ReDim summary(m + 1)
    summary(0) = Array("Член Совета директоров", "Заседаний", "Выплачено, руб.", "Начислено по ставке, руб.")
    k = 0
    For i = 0 To m - 1
        If sessions(i) >= minCount Then
            k = k + 1
            summary(k) = Array(members(i), sessions(i), paid(i), sessions(i) * perSession)
            totalSessions = totalSessions + sessions(i)
            totalPaid = totalPaid + paid(i)
            totalDue = totalDue + sessions(i) * perSession
        End If
    Next i
    k = k + 1
    summary(k) = Array("Итого", totalSessions, totalPaid, totalDue)
    ReDim Preserve summary(k)
    Dim summaryTop As Long
    summaryTop = top + n + 2
    SetCell(sheet, summaryTop, 0, "Итоги по членам Совета директоров", True)
    PutRows(sheet, summaryTop + 1, 0, summary)
    sheet.getCellRangeByPosition(2, summaryTop + 2, 3, summaryTop + 1 + k).NumberFormat = RuFormat(doc, "# ##0,00")
    sheet.getCellRangeByPosition(0, summaryTop + 1 + k, 3, summaryTop + 1 + k).CharWeight = com.sun.star.awt.FontWeight.BOLD
    FormatTable(sheet, summaryTop + 1, 0, summaryTop + 1 + k, 3)
    SetCell(sheet, summaryTop + k + 3, 0, "Секретарь Совета директоров _______________ " & PairValue(sysparams, "secretar_name"))
End Function
