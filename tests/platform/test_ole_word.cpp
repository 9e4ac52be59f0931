// The word-processor server against a real headless LibreOffice: documents
// added and closed, a document shown is stored and reads back, Run with a
// document that has no such macro, and Quit, which leaves an office that
// still holds a document.
#include <gtest/gtest.h>

#include "OfficeTestUtil.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/LibreOffice.h"

TEST(WordTest, DocumentsAreAddedShownAndClosed)
{
    RequireOffice();
    OleVariant word = CreateOleObject(QStringLiteral("Word.Application"));
    EXPECT_EQ(word.Get(QStringLiteral("Name")).ToString(), QStringLiteral("LibreOffice Writer"));
    OleVariant docs = word.Get(QStringLiteral("Documents"));
    const int before = OfficeDocumentCount();
    OleVariant doc = docs.Call(QStringLiteral("Add"));
    EXPECT_EQ(OfficeDocumentCount(), before + 1);
    // A new document has no file to be saved to; closing it unsaved works.
    EXPECT_THROW(doc.Call(QStringLiteral("Close"), {true}), EOleError);
    doc.Call(QStringLiteral("Close"), {false});
    EXPECT_EQ(OfficeDocumentCount(), before);

    EXPECT_THROW(docs.Call(QStringLiteral("Add"), {QStringLiteral("/nonexistent/template.ott")}), EOleError);
    EXPECT_THROW(docs.Call(QStringLiteral("Open"), {QStringLiteral("/nonexistent/file.odt")}), EOleError);
    EXPECT_THROW(word.Call(QStringLiteral("Run"), {QStringLiteral("BuildReport")}), EOleError);   // no document passed
    EXPECT_THROW(word.Call(QStringLiteral("Run"), {QStringLiteral("Build Report; x"), docs.Call(QStringLiteral("Add"))}),
                 EOleError);   // not a macro name

    // Showing stores the document headless; it reads back.
    const int shown = int(OfficeShownDocuments().size());
    word.Set(QStringLiteral("Visible"), true);
    ASSERT_EQ(int(OfficeShownDocuments().size()), shown + 1);
    const QString file = OfficeShownDocuments().last();
    EXPECT_TRUE(file.endsWith(QStringLiteral(".docx"))) << qPrintable(file);
    OleVariant opened = docs.Call(QStringLiteral("Open"), {file});
    EXPECT_EQ(opened.Get(QStringLiteral("FullName")).ToString(), file);
    opened.Call(QStringLiteral("Close"));
}

TEST(WordTest, QuitLeavesAnOfficeThatHoldsADocument)
{
    RequireOffice();
    OleVariant word = CreateOleObject(QStringLiteral("Word.Application"));
    OleVariant doc = word.Get(QStringLiteral("Documents")).Call(QStringLiteral("Add"));
    const int pid = OfficeProcessId();
    ASSERT_NE(pid, 0);
    word.Call(QStringLiteral("Quit"));
    EXPECT_EQ(OfficeProcessId(), pid);
    doc.Call(QStringLiteral("Close"), {false});
    word.Call(QStringLiteral("Quit"));
    EXPECT_EQ(OfficeProcessId(), 0);
    EXPECT_FALSE(OfficeRunning());
}
