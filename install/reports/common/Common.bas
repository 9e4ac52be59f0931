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
' row is the bold header, repeated on every page the table runs over.
' TextCols tells for each column whether it holds running text (a name, a
' decision) or short items (a number, a date, a count under its heading):
' the columns are sized by FitColumns for the page. When a table does not
' fit a portrait page, the document is set on landscape pages
' ("Landscape") from its start.
Sub AddTable(doc, Cells, TextCols)
    Dim t As Object, tbl As Object, rows As Long, cols As Long, i As Long, seps As Variant, acc As Double
    Dim std As Object, widths, fits As Boolean
    rows = RowCountOf(Cells)
    cols = RowCountOf(Cells(LBound(Cells)))
    t = doc.Text
    tbl = doc.createInstance("com.sun.star.text.TextTable")
    tbl.initialize(rows, cols)
    t.insertTextContent(t.End, tbl, False)
    tbl.setDataArray(Cells)
    tbl.RepeatHeadline = True
    tbl.HeaderRowCount = 1
    tbl.getRows().getByIndex(0).setPropertyValue("BackColor", RGB(217, 217, 217))
    tbl.getCellRangeByPosition(0, 0, cols - 1, 0).CharWeight = com.sun.star.awt.FontWeight.BOLD
    ' A row goes to the next page whole, so a decision and its votes are read
    ' together (the office still splits a row taller than a page).
    For i = 0 To rows - 1
        tbl.getRows().getByIndex(i).IsSplitAllowed = False
    Next i

    std = doc.StyleFamilies.getByName("ParagraphStyles").getByName("Standard")
    widths = FitColumns(Cells, TextCols, TextAreaWidth(doc, "Standard"), std.CharFontName, std.CharHeight, 300, 3000, True, fits)
    If Not fits Then
        widths = FitColumns(Cells, TextCols, TextAreaWidth(doc, "Landscape"), std.CharFontName, std.CharHeight, 300, 3000, True, fits)
        t.createTextCursorByRange(t.Start).PageDescName = "Landscape"
    End If
    seps = tbl.TableColumnSeparators
    acc = 0
    For i = LBound(seps) To UBound(seps)
        acc = acc + widths(i)
        seps(i).Position = CInt(acc / SumOf(widths) * tbl.TableColumnRelativeSum)
    Next i
    tbl.TableColumnSeparators = seps
End Sub

' The width of the text area of the page style Name.
Function TextAreaWidth(doc, Name As String) As Long
    Dim ps As Object
    ps = doc.StyleFamilies.getByName("PageStyles").getByName(Name)
    TextAreaWidth = ps.Width - ps.LeftMargin - ps.RightMargin
End Function

Function SumOf(Values) As Double
    Dim i As Long
    SumOf = 0
    For i = LBound(Values) To UBound(Values)
        SumOf = SumOf + Values(i)
    Next i
End Function

' --- fitting texts to the page ---
'
' Widths are in 1/100 mm, measured in the office's own fonts, so that a
' column is never narrower than the longest word it holds (a date, a name, a
' word of its heading) and no word breaks inside.

' A font to measure texts in, at 1000 units to the em.
Function MeasuringFont(FontName As String, Bold As Boolean) As Object
    Dim dev As Object, fd As New com.sun.star.awt.FontDescriptor
    dev = CreateUnoService("com.sun.star.awt.Toolkit").createScreenCompatibleDevice(1, 1)
    fd.Name = FontName
    fd.Height = 1000
    If Bold Then fd.Weight = com.sun.star.awt.FontWeight.BOLD
    MeasuringFont = dev.getFont(fd)
End Function

' The width of Text in Font (of MeasuringFont) at Points.
Function TextWidth(Font, Text As String, Points As Double) As Long
    TextWidth = CLng(Font.getStringWidth(Text) * Points * 2540 / 72000 + 0.5)
End Function

' The height of a line of Font at Points.
Function LineHeight(Font, Points As Double) As Long
    Dim m As Object
    m = Font.getFontMetric()
    LineHeight = CLng((m.Ascent + m.Descent + m.Leading) * Points * 2540 / 72000 + 0.5)
End Function

' The lines of a text (at its line breaks).
Function LinesOf(Text As String)
    LinesOf = Split(Replace(Text, Chr(13), ""), Chr(10))
End Function

' The widths of the longest word and of the longest line of Text:
' Array(word, line).
Function TextExtent(Font, Text As String, Points As Double) As Variant
    Dim lines, words, i As Long, j As Long, word As Long, line As Long
    word = 0 : line = 0
    lines = LinesOf(Text)
    For i = LBound(lines) To UBound(lines)
        line = MaxOf(line, TextWidth(Font, lines(i), Points))
        words = Split(lines(i), " ")
        For j = LBound(words) To UBound(words)
            word = MaxOf(word, TextWidth(Font, words(j), Points))
        Next j
    Next i
    TextExtent = Array(word, line)
End Function

Function MaxOf(a, b)
    If a > b Then MaxOf = a Else MaxOf = b
End Function

Function MinOf(a, b)
    If a < b Then MinOf = a Else MinOf = b
End Function

' The number of lines Text takes wrapped at its spaces into Width.
Function WrappedLineCount(Font, Text As String, Points As Double, Width As Long) As Long
    Dim lines, words, i As Long, j As Long, n As Long, current As String
    n = 0
    lines = LinesOf(Text)
    For i = LBound(lines) To UBound(lines)
        n = n + 1
        current = ""
        words = Split(lines(i), " ")
        For j = LBound(words) To UBound(words)
            If current <> "" And TextWidth(Font, current & " " & words(j), Points) > Width Then
                n = n + 1
                current = words(j)
            ElseIf current = "" Then
                current = words(j)
            Else
                current = current & " " & words(j)
            End If
        Next j
    Next i
    WrappedLineCount = MaxOf(n, 1)
End Function

' The widths of the columns of a table of texts (Cells: rows of texts, the
' first the bold header) in Available, Padding the room a cell takes round
' its text. Every column is at least as wide as its longest word, a column
' of running text (TextCols true) at least MinText (with Fill; without it no
' more than its longest line needs). What is left goes first to the short
' items, so that they keep to one line while there is room (they break only
' between their heading's words), then to the text columns. Fits is False
' when not even the longest words fit in Available: the widths are then
' those words', scaled down to Available.
Function FitColumns(Cells, TextCols, Available As Long, FontName As String, Points As Double, Padding As Long, MinText As Long, Fill As Boolean, Fits As Boolean) As Variant
    Dim cols As Long, c As Long, r As Long, normal As Object, bold As Object, ext, first As Long
    Dim lo() As Long, hi() As Long, w() As Double, used As Double, texts As Long, rest As Double, ask As Double, give As Double
    cols = RowCountOf(Cells(LBound(Cells)))
    ReDim lo(cols - 1) As Long : ReDim hi(cols - 1) As Long : ReDim w(cols - 1) As Double
    normal = MeasuringFont(FontName, False)
    bold = MeasuringFont(FontName, True)
    first = LBound(Cells)
    For r = first To UBound(Cells)
        For c = 0 To cols - 1
            If r = first Then ext = TextExtent(bold, Txt(Cells(r)(c)), Points) Else ext = TextExtent(normal, Txt(Cells(r)(c)), Points)
            lo(c) = MaxOf(lo(c), ext(0) + Padding)
            hi(c) = MaxOf(hi(c), ext(1) + Padding)
        Next c
    Next r
    used = 0 : texts = 0
    For c = 0 To cols - 1
        w(c) = lo(c)
        If TextCols(c) Then
            texts = texts + 1
            If Fill Then w(c) = MaxOf(lo(c), MinText) Else w(c) = MaxOf(lo(c), MinOf(MinText, hi(c)))
        End If
        used = used + w(c)
    Next c
    Fits = used <= Available
    If Not Fits Then
        For c = 0 To cols - 1
            w(c) = w(c) * Available / used
        Next c
        FitColumns = w
        Exit Function
    End If
    ' The short items first, with what the text columns can spare while
    ' each keeps twice MinText (or its longest line); then the text columns
    ' share the rest evenly, none more than its lines ask (with Fill the rest
    ' goes to them all the same).
    Dim comfort As Double
    rest = Available - used
    ask = 0 : comfort = 0
    For c = 0 To cols - 1
        If TextCols(c) Then
            comfort = comfort + MaxOf(MinOf(hi(c), 2 * MinText) - w(c), 0)
        Else
            ask = ask + MaxOf(hi(c) - w(c), 0)
        End If
    Next c
    If ask > 0 Then
        give = MinOf(MaxOf(rest - comfort, 0), ask)
        For c = 0 To cols - 1
            If Not TextCols(c) Then w(c) = w(c) + MaxOf(hi(c) - w(c), 0) * give / ask
        Next c
        rest = rest - give
    End If
    Dim growing() As Boolean, growingCount As Long, share As Double, capped As Boolean
    ReDim growing(cols - 1) As Boolean
    growingCount = 0
    For c = 0 To cols - 1
        growing(c) = TextCols(c) And hi(c) > w(c)
        If growing(c) Then growingCount = growingCount + 1
    Next c
    Do While growingCount > 0 And rest > 0
        share = rest / growingCount
        capped = False
        For c = 0 To cols - 1
            If growing(c) And hi(c) - w(c) <= share Then
                rest = rest - (hi(c) - w(c))
                w(c) = hi(c)
                growing(c) = False
                growingCount = growingCount - 1
                capped = True
            End If
        Next c
        If Not capped Then
            For c = 0 To cols - 1
                If growing(c) Then w(c) = w(c) + share
            Next c
            rest = 0
        End If
    Loop
    If Fill And rest > 0 Then
        For c = 0 To cols - 1
            If texts = 0 Then
                w(c) = w(c) + rest / cols
            ElseIf TextCols(c) Then
                w(c) = w(c) + rest / texts
            End If
        Next c
    End If
    FitColumns = w
End Function

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

' Header fill and borders of a table block, its texts wrapped at their
' spaces inside the cells (rows as high as they need); the columns are
' fitted to their contents unless Widths gives them (in 1/100 mm; fitting
' many rows costs).
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
    r.IsTextWrapped = True
    If IsMissing(Widths) Then
        r.Columns.OptimalWidth = True
    Else
        Dim i As Long
        For i = LBound(Widths) To UBound(Widths)
            r.Columns.getByIndex(i).Width = Widths(i)
        Next i
    End If
    r.Rows.OptimalHeight = True
End Sub

' The widths of the columns of a sheet's table (Cells as FitColumns takes
' them) on the page of the sheet's page style, in the cells' font: a column
' of text no wider than its longest line, the table no wider than the page
' while its words fit (the page style prints it one page wide otherwise).
Function SheetColumnWidths(doc, Cells, TextCols) As Variant
    Dim cellStyle As Object, fits As Boolean
    cellStyle = doc.StyleFamilies.getByName("CellStyles").getByName("Default")
    SheetColumnWidths = FitColumns(Cells, TextCols, TextAreaWidth(doc, "Default"), cellStyle.CharFontName, cellStyle.CharHeight, 250, 4000, False, fits)
End Function

' Texts in column Col of rows Row1 to Row2 wrapped inside the width of the
' columns Col to LastCol (at least 16 cm, on the page): each cell merged
' across them, the row as high as its lines.
Sub WrapAcross(doc, sheet, Row1 As Long, Row2 As Long, Col As Long, LastCol As Long)
    Dim cellStyle As Object, font As Object, points As Double, width As Long, last As Long, page As Long
    Dim r As Long, cell As Object, block As Object
    If Row2 < Row1 Then Exit Sub
    cellStyle = doc.StyleFamilies.getByName("CellStyles").getByName("Default")
    points = cellStyle.CharHeight
    font = MeasuringFont(cellStyle.CharFontName, False)
    page = TextAreaWidth(doc, "Default")
    width = 0
    For last = Col To LastCol
        width = width + sheet.Columns.getByIndex(last).Width
    Next last
    last = LastCol
    Do While width < MinOf(16000, page) And last < 1000
        last = last + 1
        width = width + sheet.Columns.getByIndex(last).Width
    Loop
    For r = Row1 To Row2
        block = sheet.getCellRangeByPosition(Col, r, last, r)
        block.merge(True)
        cell = sheet.getCellByPosition(Col, r)
        cell.IsTextWrapped = True
        cell.VertJustify = com.sun.star.table.CellVertJustify2.TOP
        sheet.Rows.getByIndex(r).Height = WrappedLineCount(font, cell.String, points, width - 250) * LineHeight(font, points) + 100
    Next r
End Sub
