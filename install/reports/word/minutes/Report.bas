' The minutes of a session: the session's particulars, those present, the
' agenda, each draft decision with the count of votes and the names of those
' who voted against or abstained, and the signatures.
'
' Fields: pnumber, pdate, place, form, mcomment, signpost1, signname1,
' signpost2, signname2, question, id_decision, description, fullname,
' votename, vote (one row per vote; a session without decisions gives one
' row with empty decision fields).

Function BuildReport(doc, rs, params, sysparams)
    Dim rows, names, r As Long, n As Long, i As Long, row
    Dim fNumber As Long, fDate As Long, fPlace As Long, fForm As Long, fComment As Long
    Dim fPost1 As Long, fName1 As Long, fPost2 As Long, fName2 As Long
    Dim fQuestion As Long, fDecision As Long, fText As Long, fMember As Long, fVote As Long
    names = FieldNames(rs)
    fNumber = FieldIndex(names, "pnumber") : fDate = FieldIndex(names, "pdate")
    fPlace = FieldIndex(names, "place") : fForm = FieldIndex(names, "form") : fComment = FieldIndex(names, "mcomment")
    fPost1 = FieldIndex(names, "signpost1") : fName1 = FieldIndex(names, "signname1")
    fPost2 = FieldIndex(names, "signpost2") : fName2 = FieldIndex(names, "signname2")
    fQuestion = FieldIndex(names, "question") : fDecision = FieldIndex(names, "id_decision")
    fText = FieldIndex(names, "description") : fMember = FieldIndex(names, "fullname") : fVote = FieldIndex(names, "vote")
    rows = AllRows(rs)
    n = RowCountOf(rows)
    If n = 0 Then
        AddParagraph(doc, "Заседание не найдено.", True, True)
        Exit Function
    End If
    row = rows(0)

    ' Those present (from the votes), the decisions and their counts.
    Dim members() As String, memberCount As Long
    Dim decisions() As String, questions() As String, counts() As Long, against() As String, abstained() As String
    Dim decisionCount As Long, current As String, d As Long, v As Long
    ReDim members(n) As String
    ReDim decisions(n) As String : ReDim questions(n) As String
    ReDim counts(n, 3) As Long : ReDim against(n) As String : ReDim abstained(n) As String
    decisionCount = 0 : memberCount = 0 : current = ""
    For r = 0 To n - 1
        row = rows(r)
        If Not IsBlank(row(fMember)) Then
            If IndexOfText(members, memberCount, row(fMember)) < 0 Then members(memberCount) = row(fMember) : memberCount = memberCount + 1
        End If
        If Not IsBlank(row(fDecision)) Then
            If row(fDecision) <> current Then
                current = row(fDecision)
                decisions(decisionCount) = Txt(row(fText))
                questions(decisionCount) = Txt(row(fQuestion))
                decisionCount = decisionCount + 1
            End If
            d = decisionCount - 1
            If Not IsBlank(row(fVote)) Then
                v = row(fVote)
                If v >= 0 And v <= 3 Then counts(d, v) = counts(d, v) + 1
                If v = 2 Then against(d) = against(d) & IIf(against(d) = "", "", ", ") & row(fMember)
                If v = 3 Then abstained(d) = abstained(d) & IIf(abstained(d) = "", "", ", ") & row(fMember)
            End If
        End If
    Next r
    row = rows(0)

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
    For i = 0 To memberCount - 1
        present = present & IIf(i = 0, "", ", ") & members(i)
    Next i
    AddParagraph(doc, "Присутствовали члены Совета директоров (" & memberCount & "): " & present & ".", False, False)
    If Txt(row(fComment)) <> "" Then AddParagraph(doc, Txt(row(fComment)), False, False)

    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "ПОВЕСТКА ДНЯ", True, True)
    Dim lastQuestion As String, q As Long
    lastQuestion = "" : q = 0
    For d = 0 To decisionCount - 1
        If questions(d) <> lastQuestion Then
            q = q + 1
            lastQuestion = questions(d)
            AddParagraph(doc, q & ". " & questions(d), False, False)
        End If
    Next d

    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "РЕШЕНИЯ И ИТОГИ ГОЛОСОВАНИЯ", True, True)
    If decisionCount = 0 Then
        AddParagraph(doc, "Проекты решений к заседанию не внесены.", False, False)
    Else
        Dim cells()
        ReDim cells(decisionCount)
        cells(0) = Array("№", "Решение", "За", "Против", "Воздержались", "Не голосовали", "Голосовали против или воздержались")
        For d = 0 To decisionCount - 1
            cells(d + 1) = Array(CStr(d + 1), decisions(d), CStr(counts(d, 1)), CStr(counts(d, 2)), CStr(counts(d, 3)), _
                                 CStr(counts(d, 0)), Trim(IIf(against(d) = "", "", "против: " & against(d) & "; ") & _
                                 IIf(abstained(d) = "", "", "воздержались: " & abstained(d))))
        Next d
        AddTable(doc, cells, Array(4, 40, 7, 7, 10, 10, 22))
    End If

    AddParagraph(doc, "", False, False)
    If Txt(row(fName1)) <> "" Then AddParagraph(doc, Txt(row(fPost1)) & " _______________ " & Txt(row(fName1)), False, False)
    If Txt(row(fName2)) <> "" Then AddParagraph(doc, Txt(row(fPost2)) & " _______________ " & Txt(row(fName2)), False, False)
    AddParagraph(doc, "Протокол составлен " & RuDate(Now()) & ".", False, False)
End Function
