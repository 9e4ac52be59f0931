' The minutes of a session: the session's particulars, those present (the
' session's participants), the agenda, each draft decision with the count of
' votes of every kind and the names of those who voted otherwise than the
' first kind, and the signatures.
'
' Fields: part, pnumber, pdate, place, form, mcomment, signpost1, signname1,
' signpost2, signname2, qdate, id_question, question, id_decision,
' description, id_member, fullname, vote, votename: the kinds of vote, then
' one row per participant and decision (Common: sessions and their votes).

Function BuildReport(doc, rs, params, sysparams)
    Dim rows, names, i As Long, row, sessionRow As Long
    Dim fPart As Long, fNumber As Long, fDate As Long, fPlace As Long, fForm As Long, fComment As Long
    Dim fPost1 As Long, fName1 As Long, fPost2 As Long, fName2 As Long
    Dim fQuestion As Long, fQuestionId As Long, fDecision As Long, fText As Long, fMember As Long, fName As Long, fVote As Long, fVoteName As Long
    names = FieldNames(rs)
    fPart = FieldIndex(names, "part")
    fNumber = FieldIndex(names, "pnumber") : fDate = FieldIndex(names, "pdate")
    fPlace = FieldIndex(names, "place") : fForm = FieldIndex(names, "form") : fComment = FieldIndex(names, "mcomment")
    fPost1 = FieldIndex(names, "signpost1") : fName1 = FieldIndex(names, "signname1")
    fPost2 = FieldIndex(names, "signpost2") : fName2 = FieldIndex(names, "signname2")
    fQuestion = FieldIndex(names, "question") : fQuestionId = FieldIndex(names, "id_question")
    fDecision = FieldIndex(names, "id_decision")
    fText = FieldIndex(names, "description") : fMember = FieldIndex(names, "id_member") : fName = FieldIndex(names, "fullname")
    fVote = FieldIndex(names, "vote") : fVoteName = FieldIndex(names, "votename")
    rows = AllRows(rs)
    sessionRow = FirstRowOfPart(rows, fPart, 1)
    If sessionRow < 0 Then
        AddParagraph(doc, "Заседание не найдено.", True, True)
        Exit Function
    End If
    row = rows(sessionRow)

    ' The kinds of vote; the participants, the decisions and the votes.
    Dim kinds, codes, kindNames, kc As Long, sv, members, starts, votes, mc As Long, dc As Long
    kinds = VoteKinds(rows, fPart, fVote, fVoteName)
    codes = kinds(0) : kindNames = kinds(1) : kc = RowCountOf(codes)
    sv = SessionVotes(rows, sessionRow, fDecision, fMember, fName, fVote, codes)
    members = sv(0) : starts = sv(1) : votes = sv(2) : mc = sv(3) : dc = sv(4)

    Dim board As String
    board = PairValue(sysparams, "board_name")
    If board = "" Then board = "Совет директоров"
    AddParagraph(doc, PairValue(sysparams, "company_name"), True, True)
    AddParagraph(doc, "ПРОТОКОЛ № " & Txt(row(fNumber)), True, True, 14)
    AddParagraph(doc, "заседания органа управления: " & board, False, True)
    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "Дата проведения заседания: " & RuDate(row(fDate)), False, False)
    AddParagraph(doc, "Место проведения заседания: " & Txt(row(fPlace)), False, False)
    AddParagraph(doc, "Форма проведения заседания: " & Txt(row(fForm)), False, False)
    Dim present As String
    present = ""
    For i = 0 To mc - 1
        present = present & IIf(i = 0, ": ", ", ") & members(i)
    Next i
    AddParagraph(doc, "Присутствовали члены Совета директоров (" & mc & ")" & present & ".", False, False)
    If Txt(row(fComment)) <> "" Then AddParagraph(doc, LineBreaks(row(fComment)), False, False)

    ' The agenda is the questions of the decisions, one item per question
    ' (by its key: two questions of one text are two items); without
    ' decisions the section of the decisions below says so, and no empty
    ' heading is left.
    Dim lastQuestion As String, question As String, q As Long, d As Long
    If dc > 0 Then
        AddParagraph(doc, "", False, False)
        AddParagraph(doc, "ПОВЕСТКА ДНЯ", True, True)
    End If
    lastQuestion = "" : q = 0
    For d = 0 To dc - 1
        question = Txt(rows(starts(d))(fQuestionId))
        If question <> "" And question <> lastQuestion Then
            q = q + 1
            lastQuestion = question
            AddParagraph(doc, q & ". " & LineBreaks(Txt(rows(starts(d))(fQuestion))), False, False)
        End If
    Next d

    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "РЕШЕНИЯ И ИТОГИ ГОЛОСОВАНИЯ", True, True)
    If dc = 0 Then
        AddParagraph(doc, "Проекты решений к заседанию не внесены.", False, False)
    Else
        AddTable(doc, VoteTable(rows, fText, members, starts, votes, mc, dc, kindNames), VoteTableTextColumns(kc))
    End If

    AddParagraph(doc, "", False, False)
    If Txt(row(fName1)) <> "" Then AddParagraph(doc, Txt(row(fPost1)) & " _______________ " & Txt(row(fName1)), False, False)
    If Txt(row(fName2)) <> "" Then AddParagraph(doc, Txt(row(fPost2)) & " _______________ " & Txt(row(fName2)), False, False)
    AddParagraph(doc, "Протокол составлен " & RuDate(Now()) & ".", False, False)
End Function

' The table of decisions: number, text, the count of each kind of vote and,
' when there are kinds besides the first and not voted, the participants of
' each of those by name ("Против: ...; Воздержался: ...").
Function VoteTable(rows, fText As Long, members, starts, votes, mc As Long, dc As Long, kindNames) As Variant
    Dim cells(), cellsRow(), kc As Long, cols As Long, d As Long, k As Long, m As Long, counts() As Long, who As String, withNames As Boolean
    kc = RowCountOf(kindNames)
    withNames = kc > 2
    cols = kc + 1 + IIf(withNames, 1, 0)
    ReDim cells(dc)
    ReDim cellsRow(cols)
    cellsRow(0) = "№" : cellsRow(1) = "Решение"
    For k = 0 To kc - 1
        cellsRow(k + 2) = kindNames(k)
    Next k
    If withNames Then cellsRow(cols) = "Голосовали не «" & kindNames(0) & "»"
    cells(0) = cellsRow
    For d = 0 To dc - 1
        ReDim cellsRow(cols)
        ReDim counts(kc) As Long
        For m = 0 To mc - 1
            counts(votes(m, d)) = counts(votes(m, d)) + 1
        Next m
        cellsRow(0) = CStr(d + 1) : cellsRow(1) = LineBreaks(rows(starts(d))(fText))
        For k = 0 To kc - 1
            cellsRow(k + 2) = CStr(counts(k))
        Next k
        If withNames Then
            cellsRow(cols) = ""
            For k = 1 To kc - 2
                who = ""
                For m = 0 To mc - 1
                    If votes(m, d) = k Then who = who & IIf(who = "", "", ", ") & members(m)
                Next m
                If who <> "" Then cellsRow(cols) = cellsRow(cols) & IIf(cellsRow(cols) = "", "", "; ") & kindNames(k) & ": " & who
            Next k
        End If
        cells(d + 1) = cellsRow
    Next d
    VoteTable = cells
End Function

' Which columns of VoteTable hold running text: the decision and the names
' of those who voted otherwise; the number and the counts do not.
Function VoteTableTextColumns(kc As Long) As Variant
    Dim w(), k As Long, cols As Long
    cols = kc + 1 + IIf(kc > 2, 1, 0)
    ReDim w(cols)
    w(0) = False : w(1) = True
    For k = 0 To kc - 1
        w(k + 2) = False
    Next k
    If kc > 2 Then w(cols) = True
    VoteTableTextColumns = w
End Function
