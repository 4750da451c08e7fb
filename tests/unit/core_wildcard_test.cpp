// The file-name matcher: what Windows users expect of '*' and '?' on long names.
#include <gtest/gtest.h>

#include <string>

#include "runtime/wildcard.h"

namespace {

using rt::wildcardMatch;

TEST(FoldCase, FoldsAsciiAndLatin1LettersOnly)
{
    EXPECT_EQ(rt::foldCase(L'A'), L'a');
    EXPECT_EQ(rt::foldCase(L'Z'), L'z');
    EXPECT_EQ(rt::foldCase(L'a'), L'a');
    EXPECT_EQ(rt::foldCase(L'\u00C8'), L'\u00E8');  // È
    EXPECT_EQ(rt::foldCase(L'\u00C0'), L'\u00E0');  // À
    EXPECT_EQ(rt::foldCase(L'\u00DE'), L'\u00FE');  // Þ
    EXPECT_EQ(rt::foldCase(L'\u00D7'), L'\u00D7');  // × is no letter
    EXPECT_EQ(rt::foldCase(L'\u00DF'), L'\u00DF');  // ß has no capital here
    for (wchar_t c : {L'@', L'[', L'`', L'{', L'1', L'_', L'~'})
        EXPECT_EQ(rt::foldCase(c), c) << static_cast<int>(c);
}

TEST(FoldCase, EqualsIgnoringCaseComparesWholeStrings)
{
    EXPECT_TRUE(rt::equalsIgnoringCase(L"PROGRAMMI", L"Programmi"));
    EXPECT_TRUE(rt::equalsIgnoringCase(L"Citt\u00C0", L"citt\u00E0"));
    EXPECT_FALSE(rt::equalsIgnoringCase(L"dati", L"dati2"));
    EXPECT_FALSE(rt::equalsIgnoringCase(L"dati", L"data"));
    EXPECT_TRUE(rt::equalsIgnoringCase(L"", L""));
}

TEST(Wildcard, StarMatchesAnyRunIncludingNone)
{
    EXPECT_TRUE(wildcardMatch(L"*.doc", L"capitolo 1.doc"));
    EXPECT_TRUE(wildcardMatch(L"*.doc", L".doc"));
    EXPECT_TRUE(wildcardMatch(L"*", L"anything at all.txt"));
    EXPECT_TRUE(wildcardMatch(L"*", L""));
    EXPECT_TRUE(wildcardMatch(L"a*b*c", L"abc"));
    EXPECT_TRUE(wildcardMatch(L"a*b*c", L"a-b-b-c"));
    EXPECT_TRUE(wildcardMatch(L"**.doc", L"x.doc"));
    EXPECT_FALSE(wildcardMatch(L"a*b*c", L"a-b-c-d"));
}

TEST(Wildcard, QuestionMarkMatchesExactlyOneCharacter)
{
    EXPECT_TRUE(wildcardMatch(L"?.doc", L"a.doc"));
    EXPECT_FALSE(wildcardMatch(L"?.doc", L".doc"));
    EXPECT_FALSE(wildcardMatch(L"?.doc", L"ab.doc"));
    EXPECT_TRUE(wildcardMatch(L"cap??olo.doc", L"capitolo.doc"));
    EXPECT_TRUE(wildcardMatch(L"*?", L"x"));
    EXPECT_FALSE(wildcardMatch(L"*?", L""));
}

TEST(Wildcard, ExtensionPatternsMatchOnlyThatLongExtension)
{
    EXPECT_FALSE(wildcardMatch(L"*.doc", L"x.docx"));
    EXPECT_FALSE(wildcardMatch(L"*.doc", L"b.doc.bak"));
    EXPECT_FALSE(wildcardMatch(L"*.xls", L"tabella.xlsx"));
    EXPECT_FALSE(wildcardMatch(L"*.doc", L"doc"));
    EXPECT_TRUE(wildcardMatch(L"*.doc", L"b.bak.doc"));
    EXPECT_TRUE(wildcardMatch(L"*.doc", L"a.doc.doc"));
}

TEST(Wildcard, IgnoresCaseOfAsciiAndAccentedLetters)
{
    EXPECT_TRUE(wildcardMatch(L"lic*.doc", L"LICENZA.DOC"));
    EXPECT_TRUE(wildcardMatch(L"LIC*.DOC", L"licenza.doc"));
    EXPECT_TRUE(wildcardMatch(L"*.Doc", L"x.dOC"));
    EXPECT_TRUE(wildcardMatch(L"perch\u00E9*.doc", L"PERCH\u00C9 NO.DOC"));
    EXPECT_TRUE(wildcardMatch(L"\u00E0 ?.xls", L"\u00C0 1.XLS"));
    EXPECT_FALSE(wildcardMatch(L"lic*.doc", L"licenza.doc "));
    EXPECT_FALSE(wildcardMatch(L"lic*.doc", L"olicenza.doc"));
}

TEST(Wildcard, LiteralNamesMatchWholeNamesOnly)
{
    EXPECT_TRUE(wildcardMatch(L"0_INDICE.doc", L"0_indice.DOC"));
    EXPECT_FALSE(wildcardMatch(L"0_INDICE.doc", L"0_INDICE.doc1"));
    EXPECT_FALSE(wildcardMatch(L"0_INDICE.doc", L"x0_INDICE.doc"));
    EXPECT_FALSE(wildcardMatch(L"", L"a"));
    EXPECT_TRUE(wildcardMatch(L"", L""));
}

TEST(Wildcard, ManyStarsOnALongNameStillDecideCorrectly)
{
    const std::wstring name(2000, L'a');
    EXPECT_FALSE(wildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(wildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*a*a*a", name));
    EXPECT_TRUE(wildcardMatch(L"*a?a*", name));
}

TEST(Wildcard, HasWildcardSeesStarAndQuestionMark)
{
    EXPECT_TRUE(rt::hasWildcard(L"c:\\p\\*.doc"));
    EXPECT_TRUE(rt::hasWildcard(L"a?c"));
    EXPECT_FALSE(rt::hasWildcard(L"c:\\p\\licenza.doc"));
}

TEST(SplitPath, SplitsAtTheLastSeparator)
{
    const rt::PathParts doc = rt::splitPath(L"c:\\PROGRAMMI\\ORVANE\\*.doc");
    EXPECT_EQ(doc.folder, L"c:\\PROGRAMMI\\ORVANE\\");
    EXPECT_EQ(doc.name, L"*.doc");

    const rt::PathParts folder = rt::splitPath(L"c:\\PROGRAMMI\\dati\\");
    EXPECT_EQ(folder.folder, L"c:\\PROGRAMMI\\dati\\");
    EXPECT_EQ(folder.name, L"");

    const rt::PathParts slash = rt::splitPath(L"c:/a\\b/c.txt");
    EXPECT_EQ(slash.folder, L"c:/a\\b/");
    EXPECT_EQ(slash.name, L"c.txt");
}

TEST(SplitPath, SplitsAtTheDriveColonWithoutSeparator)
{
    const rt::PathParts relative = rt::splitPath(L"d:setup.exe");
    EXPECT_EQ(relative.folder, L"d:");
    EXPECT_EQ(relative.name, L"setup.exe");

    const rt::PathParts bare = rt::splitPath(L"setup.exe");
    EXPECT_EQ(bare.folder, L"");
    EXPECT_EQ(bare.name, L"setup.exe");
}

}  // namespace
