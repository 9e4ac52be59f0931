' The voting sheet of a session: the members present down, the session's
' draft decisions across, each cell the member's vote; the count of votes
' "За" under each decision and the texts of the decisions below the table.
'
' Fields: pnumber, pdate, id_decision, description, fullname, votename,
' vote (one row per vote). Parameter read here: title.

Function BuildReport(doc, rs, params, sysparams)
    Dim sheet As Object, rows, names, n As Long, r As Long, i As Long, row
    Dim fNumber As Long, fDate As Long, fDecision As Long, fText As Long, fMember As Long, fVoteName As Long, fVote As Long
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "Голосование"
    names = FieldNames(rs)
    fNumber = FieldIndex(names, "pnumber") : fDate = FieldIndex(names, "pdate")
    fDecision = FieldIndex(names, "id_decision") : fText = FieldIndex(names, "description")
    fMember = FieldIndex(names, "fullname") : fVoteName = FieldIndex(names, "votename") : fVote = FieldIndex(names, "vote")
    rows = AllRows(rs)
    n = RowCountOf(rows)

    Dim title As String
    title = PairValue(params, "title")
    If title = "" Or title = "NULL" Then title = "Лист голосования"
    SetCell(sheet, 0, 0, PairValue(sysparams, "company_name"), True, 12)
    SetCell(sheet, 1, 0, title, True, 12)
    If n = 0 Then
        SetCell(sheet, 2, 0, "По заседанию нет голосов.")
        Exit Function
    End If
    SetCell(sheet, 2, 0, "Заседание № " & rows(0)(fNumber) & " от " & RuDate(rows(0)(fDate)))

    ' Decisions in the order of the rows, members in alphabetical order.
    Dim decisions() As String, texts() As String, dc As Long, members() As String, mc As Long
    Dim j As Long, t As String
    ReDim decisions(n) As String : ReDim texts(n) As String : ReDim members(n) As String
    For r = 0 To n - 1
        row = rows(r)
        If IndexOfText(decisions, dc, row(fDecision)) < 0 Then decisions(dc) = row(fDecision) : texts(dc) = Txt(row(fText)) : dc = dc + 1
        If IndexOfText(members, mc, row(fMember)) < 0 Then members(mc) = row(fMember) : mc = mc + 1
    Next r
    For i = 0 To mc - 2
        For j = i + 1 To mc - 1
            If members(j) < members(i) Then t = members(i) : members(i) = members(j) : members(j) = t
        Next j
    Next i

    Dim grid(), cellsRow(), d As Long, m As Long, inFavour() As Long
    ReDim grid(mc + 1)
    ReDim inFavour(dc) As Long
    ReDim cellsRow(dc)
    cellsRow(0) = "Член Совета директоров"
    For d = 0 To dc - 1
        cellsRow(d + 1) = "Решение " & (d + 1)
    Next d
    grid(0) = cellsRow
    For m = 0 To mc - 1
        ReDim cellsRow(dc)
        cellsRow(0) = members(m)
        For d = 1 To dc
            cellsRow(d) = ""
        Next d
        grid(m + 1) = cellsRow
    Next m
    For r = 0 To n - 1
        row = rows(r)
        d = IndexOfText(decisions, dc, row(fDecision))
        m = IndexOfText(members, mc, row(fMember))
        cellsRow = grid(m + 1)
        cellsRow(d + 1) = Txt(row(fVoteName))
        grid(m + 1) = cellsRow
        If Not IsBlank(row(fVote)) Then
            If row(fVote) = 1 Then inFavour(d) = inFavour(d) + 1
        End If
    Next r
    ReDim cellsRow(dc)
    cellsRow(0) = "Итого «За»"
    For d = 0 To dc - 1
        cellsRow(d + 1) = inFavour(d)
    Next d
    grid(mc + 1) = cellsRow
    PutRows(sheet, 4, 0, grid)
    sheet.getCellRangeByPosition(0, 5 + mc, dc, 5 + mc).CharWeight = com.sun.star.awt.FontWeight.BOLD
    ' The members' column fits the longest name, not the titles above it.
    Dim widths()
    ReDim widths(dc)
    widths(0) = 8000
    For d = 1 To dc
        widths(d) = 3000
    Next d
    FormatTable(sheet, 4, 0, 5 + mc, dc, widths)

    Dim below As Long
    below = 7 + mc
    SetCell(sheet, below, 0, "Проекты решений", True)
    For d = 0 To dc - 1
        SetCell(sheet, below + 1 + d, 0, "Решение " & (d + 1) & ". " & texts(d))
    Next d
    SetCell(sheet, below + dc + 2, 0, "Секретарь Совета директоров _______________ " & PairValue(sysparams, "secretar_name"))
End Function
