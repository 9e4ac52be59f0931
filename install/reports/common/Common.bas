' Routines shared by the report macros: the pairs of parameters, the fields
' of the recordset, and the Russian forms of dates and numbers, written out
' here so that documents read the same whatever the office's own language.

Const PairSeparator = "|!=!|"

' The value of the pair named Key ("" when there is none).
Function PairValue(Pairs, Key As String) As String
    Dim i As Long, head As String
    PairValue = ""
    If Not IsArray(Pairs) Then Exit Function
    head = Key & PairSeparator
    For i = LBound(Pairs) To UBound(Pairs)
        If Left(Pairs(i), Len(head)) = head Then
            PairValue = Mid(Pairs(i), Len(head) + 1)
            Exit Function
        End If
    Next i
End Function

' The names of the recordset's fields, in order.
Function FieldNames(rs) As Variant
    Dim n As Long, i As Long
    Dim names() As String
    n = rs.Fields.Count
    ReDim names(n - 1) As String
    For i = 0 To n - 1
        names(i) = LCase(rs.Fields(i).Name)
    Next i
    FieldNames = names
End Function

' The position of the field named Key (-1 when there is none).
Function FieldIndex(Names, Key As String) As Long
    Dim i As Long
    FieldIndex = -1
    For i = LBound(Names) To UBound(Names)
        If Names(i) = LCase(Key) Then
            FieldIndex = i
            Exit Function
        End If
    Next i
End Function

' Every row of the recordset from the current one on, as an array of rows
' (each an array of field values); an empty array when there is none. One
' call fetches them all.
Function AllRows(rs) As Variant
    If rs.EOF Then
        AllRows = Array()
    Else
        AllRows = rs.GetRows()
    End If
End Function

' The position of Text among the first Count items of List, -1 when absent.
Function IndexOfText(List, Count As Long, Text) As Long
    Dim i As Long
    IndexOfText = -1
    For i = 0 To Count - 1
        If List(i) = Text Then
            IndexOfText = i
            Exit Function
        End If
    Next i
End Function

Function RowCountOf(Rows) As Long
    RowCountOf = UBound(Rows) - LBound(Rows) + 1
End Function

' --- sessions and their votes ---
'
' The minutes and the voting sheet read one recordset whose rows of part 0
' are the kinds of vote (the rows of REF_VOTE_TYPES: the code in the field
' vote, the name in votename) and whose rows of part 1, after them, are the
' session: one row for each participant and draft decision, ordered by
' decision, then by the participant's name, with the participant's vote on
' the decision (empty when he has no vote row on it). A session without
' participants or without decisions still gives its rows, those fields empty.

' The first row of the given part; -1 when there is none.
Function FirstRowOfPart(Rows, FPart As Long, Part As Long) As Long
    Dim r As Long
    FirstRowOfPart = -1
    For r = 0 To RowCountOf(Rows) - 1
        If Rows(r)(FPart) = Part Then
            FirstRowOfPart = r
            Exit Function
        End If
    Next r
End Function

' The kinds of vote: Array(codes, names), in the order of their codes, with
' code 0 (not voted) last. A code that the votes use and no kind has becomes
' a kind of its own, so that no vote goes uncounted; without a kind of code
' 0 the participants who did not vote are still counted, as "Не голосовали".
Function VoteKinds(Rows, FPart As Long, FCode As Long, FName As Long) As Variant
    Dim codes(), names(), n As Long, r As Long, kc As Long, c, zeroName As String, row
    n = RowCountOf(Rows)
    ReDim codes(n) : ReDim names(n)
    kc = 0
    zeroName = "Не голосовали"
    For r = 0 To n - 1
        row = Rows(r)
        If row(FPart) = 0 And Not IsBlank(row(FCode)) Then
            c = row(FCode)
            If c = 0 Then
                zeroName = Txt(row(FName))
            ElseIf IndexOfText(codes, kc, c) < 0 Then
                codes(kc) = c : names(kc) = Txt(row(FName)) : kc = kc + 1
            End If
        End If
    Next r
    For r = 0 To n - 1
        row = Rows(r)
        If row(FPart) <> 0 And Not IsBlank(row(FCode)) Then
            c = row(FCode)
            If c <> 0 And IndexOfText(codes, kc, c) < 0 Then codes(kc) = c : names(kc) = "Голос с кодом " & c : kc = kc + 1
        End If
    Next r
    codes(kc) = 0 : names(kc) = zeroName
    ReDim Preserve codes(kc) : ReDim Preserve names(kc)
    VoteKinds = Array(codes, names)
End Function

' The place among Codes (of VoteKinds) of a vote's kind; an empty vote is
' code 0, not voted.
Function KindOf(Codes, v) As Long
    If IsBlank(v) Then
        KindOf = IndexOfText(Codes, RowCountOf(Codes), 0)
    Else
        KindOf = IndexOfText(Codes, RowCountOf(Codes), v)
    End If
End Function

' The participants and draft decisions of the session from its first row
' FromRow on, and every participant's vote on every decision:
' Array(names, starts, votes, participants, decisions) with the participants'
' names in the order of the rows, for each decision the row it starts at,
' and votes(m, d) the place in Codes of the kind of participant m's vote on
' decision d. A participant without a vote row on a decision has not voted.
' Every participant counts, also one whose member record has no name or is
' gone (he is named by MemberName); a decision linked twice, or two vote rows
' of one participant on one decision, still give one vote.
Function SessionVotes(Rows, FromRow As Long, FDecision As Long, FMember As Long, FName As Long, FVote As Long, Codes) As Variant
    Dim n As Long, r As Long, row, ids(), names(), decisions(), starts(), mc As Long, dc As Long
    Dim votes(), m As Long, d As Long, k As Long, notVoted As Long
    n = RowCountOf(Rows)
    ReDim ids(n) : ReDim names(n) : ReDim decisions(n) : ReDim starts(n)
    mc = 0 : dc = 0
    For r = FromRow To n - 1
        row = Rows(r)
        If Not IsBlank(row(FMember)) Then
            If IndexOfText(ids, mc, row(FMember)) < 0 Then ids(mc) = row(FMember) : names(mc) = MemberName(row(FName)) : mc = mc + 1
        End If
        If Not IsBlank(row(FDecision)) Then
            If IndexOfText(decisions, dc, row(FDecision)) < 0 Then decisions(dc) = row(FDecision) : starts(dc) = r : dc = dc + 1
        End If
    Next r
    notVoted = RowCountOf(Codes) - 1
    ReDim votes(mc, dc)
    For m = 0 To mc
        For d = 0 To dc
            votes(m, d) = notVoted
        Next d
    Next m
    For r = FromRow To n - 1
        row = Rows(r)
        If Not IsBlank(row(FDecision)) And Not IsBlank(row(FMember)) Then
            m = IndexOfText(ids, mc, row(FMember))
            d = IndexOfText(decisions, dc, row(FDecision))
            k = KindOf(Codes, row(FVote))
            If votes(m, d) = notVoted Then votes(m, d) = k
        End If
    Next r
    SessionVotes = Array(names, starts, votes, mc, dc)
End Function

Function IsBlank(v) As Boolean
    IsBlank = IsEmpty(v) Or IsNull(v)
End Function

' A text, "" for Empty.
Function Txt(v) As String
    If IsBlank(v) Then
        Txt = ""
    Else
        Txt = CStr(v)
    End If
End Function

' A value of the recordset for a cell of a sheet: Empty and Null become an
' empty text (the sheet would show them as #N/A).
Function CellValue(v)
    If IsBlank(v) Then
        CellValue = ""
    Else
        CellValue = v
    End If
End Function

' The name a member is printed under: his full name, or a plain placeholder
' when his member record has no name or is gone (his participant and vote
' rows stay when his card is deleted).
Function MemberName(v) As String
    If Trim(Txt(v)) = "" Then
        MemberName = "(член совета не указан в справочнике)"
    Else
        MemberName = Txt(v)
    End If
End Function

' A text of the database as a document shows it. The dialogs store a line
' break as CR LF, which the text of a document takes for a paragraph end and
' a line break (a blank line), so each CR LF, and a lone CR, becomes one LF:
' one line break.
Function LineBreaks(v) As String
    LineBreaks = Replace(Replace(Txt(v), Chr(13) & Chr(10), Chr(10)), Chr(13), Chr(10))
End Function

' A date of the recordset (not Empty or Null) as a date. A module in VBA
' mode receives dates as dates; other modules receive the automation date,
' an object whose Value is the number of days since 30.12.1899.
Function AsDate(ByVal v)
    If IsObject(v) Then
        AsDate = AutomationDate(v)
    Else
        AsDate = CDate(v)
    End If
End Function

' The date of an automation date object. (A routine that reads a member of
' a Variant fails when the Variant holds no object, even on a branch not
' taken, so the member is read here, from an Object.)
Function AutomationDate(o As Object)
    AutomationDate = CDate(o.Value)
End Function

' A date as dd.mm.yyyy ("" for Empty).
Function RuDate(ByVal v) As String
    Dim d
    ' Tested first: an empty value must not reach AsDate, whose result left
    ' unassigned does not come back Empty (it read as 30.12.1899).
    RuDate = ""
    If IsBlank(v) Then Exit Function
    d = AsDate(v)
    RuDate = Right("0" & Day(d), 2) & "." & Right("0" & Month(d), 2) & "." & Year(d)
End Function

' A number with a decimal comma, groups of thousands set apart by a
' no-break space, and Decimals digits after the comma.
Function RuNumber(x, Decimals As Integer) As String
    Dim v As Double, scale As Double, scaled As Double, whole As Double, frac As Double
    Dim digits As String, grouped As String, i As Integer, sign As String
    If IsBlank(x) Then
        v = 0
    Else
        v = CDbl(x)
    End If
    sign = ""
    If v < 0 Then
        sign = "-"
        v = -v
    End If
    scale = 10 ^ Decimals
    scaled = Int(v * scale + 0.5)
    whole = Int(scaled / scale)
    frac = scaled - whole * scale
    digits = Format(whole, "0")
    grouped = ""
    For i = Len(digits) To 1 Step -1
        grouped = Mid(digits, i, 1) & grouped
        If (Len(digits) - i + 1) Mod 3 = 0 And i > 1 Then grouped = Chr(160) & grouped
    Next i
    RuNumber = sign & grouped
    If Decimals > 0 Then RuNumber = RuNumber & "," & Right(String(Decimals, "0") & Format(frac, "0"), Decimals)
End Function

' A number typed in a parameter ("1500,5" or "1500.5"); 0 when it is none.
Function ParamNumber(Text As String) As Double
    Dim t As String
    t = Trim(Replace(Replace(Text, Chr(160), ""), " ", ""))
    t = Replace(t, ",", ".")
    If t = "" Then
        ParamNumber = 0
    Else
        ParamNumber = Val(t)
    End If
End Function

' --- word-processor documents ---

' Appends a paragraph with the text; Bold and Centered as asked.
Sub AddParagraph(doc, Text As String, Optional Bold, Optional Centered, Optional Size)
    Dim t As Object, c As Object
    t = doc.Text
    c = t.createTextCursorByRange(t.End)
    If Len(t.String) > 0 Then t.insertControlCharacter(c, com.sun.star.text.ControlCharacter.PARAGRAPH_BREAK, False)
    c = t.createTextCursorByRange(t.End)
    If Not IsMissing(Centered) Then
        If Centered Then c.ParaAdjust = com.sun.star.style.ParagraphAdjust.CENTER Else c.ParaAdjust = com.sun.star.style.ParagraphAdjust.LEFT
    End If
    If Not IsMissing(Bold) Then
        If Bold Then c.CharWeight = com.sun.star.awt.FontWeight.BOLD Else c.CharWeight = com.sun.star.awt.FontWeight.NORMAL
    End If
    If Not IsMissing(Size) Then c.CharHeight = Size
    t.insertString(c, Text, False)
End Sub

' Appends a table filled with Cells (an array of rows of texts); the first
' row is the bold header.
Sub AddTable(doc, Cells, Widths)
    Dim t As Object, tbl As Object, rows As Long, cols As Long, i As Long, seps As Variant, total As Double, acc As Double
    rows = RowCountOf(Cells)
    cols = RowCountOf(Cells(LBound(Cells)))
    t = doc.Text
    tbl = doc.createInstance("com.sun.star.text.TextTable")
    tbl.initialize(rows, cols)
    t.insertTextContent(t.End, tbl, False)
    tbl.setDataArray(Cells)
    tbl.getRows().getByIndex(0).setPropertyValue("BackColor", RGB(217, 217, 217))
    tbl.getCellRangeByPosition(0, 0, cols - 1, 0).CharWeight = com.sun.star.awt.FontWeight.BOLD
    If IsArray(Widths) Then
        total = 0
        For i = LBound(Widths) To UBound(Widths)
            total = total + Widths(i)
        Next i
        seps = tbl.TableColumnSeparators
        acc = 0
        For i = LBound(seps) To UBound(seps)
            acc = acc + Widths(i)
            seps(i).Position = CInt(acc / total * tbl.TableColumnRelativeSum)
        Next i
        tbl.TableColumnSeparators = seps
    End If
End Sub

' --- spreadsheets ---

' The number format of Code in the Russian locale.
Function RuFormat(doc, Code As String) As Long
    Dim loc As New com.sun.star.lang.Locale, formats As Object, key As Long
    loc.Language = "ru"
    loc.Country = "RU"
    formats = doc.NumberFormats
    key = formats.queryKey(Code, loc, False)
    If key = -1 Then key = formats.addNew(Code, loc)
    RuFormat = key
End Function

' Puts an array of rows into the sheet from (Row, Col), 0-based.
Sub PutRows(sheet, Row As Long, Col As Long, Cells)
    Dim rows As Long, cols As Long
    rows = RowCountOf(Cells)
    If rows <= 0 Then Exit Sub
    cols = RowCountOf(Cells(LBound(Cells)))
    sheet.getCellRangeByPosition(Col, Row, Col + cols - 1, Row + rows - 1).setDataArray(Cells)
End Sub

Sub SetCell(sheet, Row As Long, Col As Long, Text As String, Optional Bold, Optional Size)
    Dim c As Object
    c = sheet.getCellByPosition(Col, Row)
    c.String = Text
    If Not IsMissing(Bold) Then
        If Bold Then c.CharWeight = com.sun.star.awt.FontWeight.BOLD
    End If
    If Not IsMissing(Size) Then c.CharHeight = Size
End Sub

' Header fill and borders of a table block; the columns are fitted to their
' contents unless Widths gives them (in 1/100 mm; fitting many rows costs).
Sub FormatTable(sheet, Row1 As Long, Col1 As Long, Row2 As Long, Col2 As Long, Optional Widths)
    Dim r As Object, head As Object, lineStyle As New com.sun.star.table.BorderLine2, b As Object
    r = sheet.getCellRangeByPosition(Col1, Row1, Col2, Row2)
    lineStyle.OuterLineWidth = 2
    b = r.TableBorder2
    b.LeftLine = lineStyle : b.RightLine = lineStyle : b.TopLine = lineStyle : b.BottomLine = lineStyle
    b.HorizontalLine = lineStyle : b.VerticalLine = lineStyle
    b.IsLeftLineValid = True : b.IsRightLineValid = True : b.IsTopLineValid = True
    b.IsBottomLineValid = True : b.IsHorizontalLineValid = True : b.IsVerticalLineValid = True
    r.TableBorder2 = b
    head = sheet.getCellRangeByPosition(Col1, Row1, Col2, Row1)
    head.CharWeight = com.sun.star.awt.FontWeight.BOLD
    head.CellBackColor = RGB(217, 217, 217)
    head.IsTextWrapped = True
    If IsMissing(Widths) Then
        r.Columns.OptimalWidth = True
    Else
        Dim i As Long
        For i = LBound(Widths) To UBound(Widths)
            r.Columns.getByIndex(i).Width = Widths(i)
        Next i
    End If
End Sub
