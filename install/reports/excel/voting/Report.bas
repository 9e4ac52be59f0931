' The voting sheet of a session: the participants down, the session's draft
' decisions across, each cell the participant's vote (not voted when he has
' no vote on it); under the table the count of each kind of vote for every
' decision, and the texts of the decisions below.
'
' Fields: part, pnumber, pdate, qdate, id_question, id_decision,
' description, id_member, fullname, vote, votename: the kinds of vote, then
' one row per participant and decision (Common: sessions and their votes).
' Parameter read here: title.

Function BuildReport(doc, rs, params, sysparams)
    Dim sheet As Object, rows, names, sessionRow As Long
    Dim fPart As Long, fNumber As Long, fDate As Long, fDecision As Long, fText As Long
    Dim fMember As Long, fName As Long, fVote As Long, fVoteName As Long
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "Голосование"
    names = FieldNames(rs)
    fPart = FieldIndex(names, "part")
    fNumber = FieldIndex(names, "pnumber") : fDate = FieldIndex(names, "pdate")
    fDecision = FieldIndex(names, "id_decision") : fText = FieldIndex(names, "description")
    fMember = FieldIndex(names, "id_member") : fName = FieldIndex(names, "fullname")
    fVote = FieldIndex(names, "vote") : fVoteName = FieldIndex(names, "votename")
    rows = AllRows(rs)

    ' An erased title arrives as '' (an empty quoted text): no title given.
    Dim title As String
    title = PairValue(params, "title")
    If Trim(title) = "" Or title = "''" Or title = "NULL" Then title = "Лист голосования"
    SetCell(sheet, 0, 0, PairValue(sysparams, "company_name"), True, 12)
    SetCell(sheet, 1, 0, title, True, 12)
    sessionRow = FirstRowOfPart(rows, fPart, 1)
    If sessionRow < 0 Then
        SetCell(sheet, 2, 0, "Заседание не найдено.")
        Exit Function
    End If
    SetCell(sheet, 2, 0, "Заседание № " & rows(sessionRow)(fNumber) & " от " & RuDate(rows(sessionRow)(fDate)))

    Dim kinds, codes, kindNames, kc As Long, sv, members, starts, votes, mc As Long, dc As Long
    kinds = VoteKinds(rows, fPart, fVote, fVoteName)
    codes = kinds(0) : kindNames = kinds(1) : kc = RowCountOf(codes)
    sv = SessionVotes(rows, sessionRow, fDecision, fMember, fName, fVote, codes)
    members = sv(0) : starts = sv(1) : votes = sv(2) : mc = sv(3) : dc = sv(4)

    ' The participants' rows, then one line of totals for each kind of vote;
    ' without participants there is no table, the decisions are still listed.
    Dim below As Long, grid(), cellsRow(), d As Long, m As Long, k As Long, totals As Long, counts() As Long
    If mc = 0 Then
        SetCell(sheet, 4, 0, "Участники заседания не указаны.")
        below = 6
    Else
        totals = IIf(dc > 0, kc, 0)
        ReDim grid(mc + totals)
        ReDim cellsRow(dc)
        cellsRow(0) = "Член Совета директоров"
        For d = 0 To dc - 1
            cellsRow(d + 1) = "Решение " & (d + 1)
        Next d
        grid(0) = cellsRow
        ReDim counts(kc, dc) As Long
        For m = 0 To mc - 1
            ReDim cellsRow(dc)
            cellsRow(0) = members(m)
            For d = 0 To dc - 1
                cellsRow(d + 1) = kindNames(votes(m, d))
                counts(votes(m, d), d) = counts(votes(m, d), d) + 1
            Next d
            grid(m + 1) = cellsRow
        Next m
        For k = 0 To totals - 1
            ReDim cellsRow(dc)
            cellsRow(0) = "Итого «" & kindNames(k) & "»"
            For d = 0 To dc - 1
                cellsRow(d + 1) = counts(k, d)
            Next d
            grid(mc + 1 + k) = cellsRow
        Next k
        PutRows(sheet, 4, 0, grid)
        If totals > 0 Then sheet.getCellRangeByPosition(0, 5 + mc, dc, 4 + mc + totals).CharWeight = com.sun.star.awt.FontWeight.BOLD
        ' The members' column fits the longest name (not the titles above it),
        ' each decision's column its heading and the names of the votes.
        Dim textCols()
        ReDim textCols(dc)
        textCols(0) = True
        For d = 1 To dc
            textCols(d) = False
        Next d
        FormatTable(sheet, 4, 0, 4 + mc + totals, dc, SheetColumnWidths(doc, grid, textCols))
        below = 6 + mc + totals
    End If

    SetCell(sheet, below, 0, "Проекты решений", True)
    If dc = 0 Then SetCell(sheet, below + 1, 0, "Проекты решений к заседанию не внесены.")
    For d = 0 To dc - 1
        SetCell(sheet, below + 1 + d, 0, "Решение " & (d + 1) & ". " & LineBreaks(rows(starts(d))(fText)))
    Next d
    WrapAcross(doc, sheet, below + 1, below + dc, 0, dc)
    SetCell(sheet, below + IIf(dc > 0, dc, 1) + 2, 0, "Секретарь Совета директоров _______________ " & PairValue(sysparams, "secretar_name"))
End Function
