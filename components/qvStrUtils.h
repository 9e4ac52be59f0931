#pragma once
// String routines of the component library: replacement, words, a repeated
// character, and a keyed XOR coder with a hexadecimal text form.
//
// Byte strings: the coder works on the UTF-8 bytes of a text, so a plain
// ASCII text gives the same hex as in a single-byte code page ("abc" with an
// empty key gives "616263") and any text round-trips.
#include <QByteArray>
#include <QString>
#include <bitset>
#include <initializer_list>

// A set of the 256 byte characters (word delimiters, blank characters).
// A character above 255 is never in a set.
class TCharSet {
public:
    TCharSet() = default;
    TCharSet(std::initializer_list<char16_t> chars)
    {
        for (char16_t c : chars)
            if (c < 256) FBits.set(c);
    }
    bool Contains(QChar c) const { return c.unicode() < 256 && FBits.test(c.unicode()); }
    TCharSet& Include(QChar c)
    {
        if (c.unicode() < 256) FBits.set(c.unicode());
        return *this;
    }
    TCharSet& Exclude(QChar c)
    {
        if (c.unicode() < 256) FBits.reset(c.unicode());
        return *this;
    }
    bool IsEmpty() const { return FBits.none(); }

private:
    std::bitset<256> FBits;
};

// True when the text is empty or every character is in the set.
bool AllCharsInSet(const QString& S, const TCharSet& CharSet);
// Every occurrence of Srch, scanning on after each inserted replacement;
// an empty Srch returns S unchanged.
QString ReplaceStr(const QString& S, const QString& Srch, const QString& Replace);
// N copies of C; empty for N < 1.
QString MakeStr(QChar C, int N);

// A word is a maximal run of characters not in WordDelims.
int WordCount(const QString& S, const TCharSet& WordDelims);
// 1-based position of the N-th word, 0 when there is none.
int WordPosition(int N, const QString& S, const TCharSet& WordDelims);
// The N-th word, empty when there is none.
QString ExtractWord(int N, const QString& S, const TCharSet& WordDelims);

// Byte I of Src XOR byte I mod length of Key; key and text are taken to at
// most 255 bytes. An empty key or text returns Src (within the 255 bytes).
QByteArray XorString(const QByteArray& Key, const QByteArray& Src);
// Two lower-case hex digits per UTF-8 byte of Source, each byte XOR-ed with
// the key when the key is not empty.
QString XorEncode(const QString& Key, const QString& Source);
// The reverse: pairs of hex digits (either case; a trailing odd character is
// ignored; a pair that is not hex gives a space, before the key is applied).
QString XorDecode(const QString& Key, const QString& Source);
