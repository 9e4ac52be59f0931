' The card of a board member: personal particulars, the posts held and,
' when asked, the seats in management bodies of other organisations.
'
' Fields: fullname, birthday, education, share, address, email, workphone,
' kind (1 a post, 2 a seat in another body), post, orgname, startdate,
' enddate; one row per post or seat (a member without any gives one row
' with empty post fields).

Function BuildReport(doc, rs, params, sysparams)
    Dim rows, names, row, n As Long, r As Long
    names = FieldNames(rs)
    rows = AllRows(rs)
    n = RowCountOf(rows)
    If n = 0 Then
        AddParagraph(doc, "Член совета директоров не найден.", True, True)
        Exit Function
    End If
    row = rows(0)
    Dim fKind As Long, fPost As Long, fOrg As Long, fStart As Long, fEnd As Long
    fKind = FieldIndex(names, "kind") : fPost = FieldIndex(names, "post") : fOrg = FieldIndex(names, "orgname")
    fStart = FieldIndex(names, "startdate") : fEnd = FieldIndex(names, "enddate")

    AddParagraph(doc, PairValue(sysparams, "company_name"), True, True)
    AddParagraph(doc, "КАРТОЧКА ЧЛЕНА СОВЕТА ДИРЕКТОРОВ", True, True, 14)
    AddParagraph(doc, Txt(row(FieldIndex(names, "fullname"))), True, True, 13)
    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "Дата рождения: " & RuDate(row(FieldIndex(names, "birthday"))), False, False)
    AddParagraph(doc, "Образование: " & Txt(row(FieldIndex(names, "education"))), False, False)
    AddParagraph(doc, "Доля в уставном капитале: " & Txt(row(FieldIndex(names, "share"))), False, False)
    AddParagraph(doc, "Адрес: " & Txt(row(FieldIndex(names, "address"))), False, False)
    AddParagraph(doc, "Телефон: " & Txt(row(FieldIndex(names, "workphone"))) & ", эл. почта: " & Txt(row(FieldIndex(names, "email"))), False, False)

    Dim kind As Long, heading As String, k As Long, count As Long
    For kind = 1 To 2
        count = 0
        For r = 0 To n - 1
            If Not IsBlank(rows(r)(fKind)) Then
                If rows(r)(fKind) = kind Then count = count + 1
            End If
        Next r
        If kind = 1 Then heading = "ДОЛЖНОСТИ" Else heading = "УЧАСТИЕ В ОРГАНАХ УПРАВЛЕНИЯ ДРУГИХ ОРГАНИЗАЦИЙ"
        If count > 0 Then
            AddParagraph(doc, "", False, False)
            AddParagraph(doc, heading, True, True)
            Dim cells()
            ReDim cells(count)
            ' A seat in another body has no end date: three columns.
            If kind = 1 Then
                cells(0) = Array("Должность", "Организация", "С", "По")
            Else
                cells(0) = Array("Должность", "Организация", "С")
            End If
            k = 0
            For r = 0 To n - 1
                row = rows(r)
                If Not IsBlank(row(fKind)) Then
                    If row(fKind) = kind Then
                        k = k + 1
                        If kind = 1 Then
                            cells(k) = Array(Txt(row(fPost)), Txt(row(fOrg)), RuDate(row(fStart)), IIf(IsBlank(row(fEnd)), "по настоящее время", RuDate(row(fEnd))))
                        Else
                            cells(k) = Array(Txt(row(fPost)), Txt(row(fOrg)), RuDate(row(fStart)))
                        End If
                    End If
                End If
            Next r
            If kind = 1 Then AddTable(doc, cells, Array(True, True, False, False)) Else AddTable(doc, cells, Array(True, True, False))
        End If
    Next kind
    AddParagraph(doc, "", False, False)
    AddParagraph(doc, "Сведения по состоянию на " & RuDate(Now()) & ".", False, False)
End Function
