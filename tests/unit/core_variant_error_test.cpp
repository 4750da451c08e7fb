// Variants, runtime errors and the late-bound entry points the handlers call.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "checks.h"
#include "runtime/error.h"
#include "runtime/ops.h"
#include "runtime/platform.h"
#include "runtime/variant.h"
#include "runtime/vba.h"

namespace {

using testing_support::errorNumberOf;

// An object that records the calls it gets and answers a Get with the member's name.
class Recorder final : public rt::Object {
public:
    struct Call {
        std::wstring member;
        rt::CallKind kind;
        std::vector<rt::Variant> args;
    };

    rt::Variant invoke(std::wstring_view member, rt::CallKind kind, const std::vector<rt::Variant>& args) override
    {
        calls.push_back({std::wstring(member), kind, args});
        return rt::Variant(std::wstring(member));
    }

    std::vector<Call> calls;
};

// --- variants

TEST(Variant, DefaultIsMissingAndEveryAccessorRejectsIt)
{
    const rt::Variant missing;
    EXPECT_TRUE(missing.isMissing());
    EXPECT_EQ(errorNumberOf([&] { missing.string(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { missing.boolean(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { missing.number(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { missing.object(); }), rt::err::kTypeMismatch);
}

TEST(Variant, TrueIsMinusOneAndFalseZero)
{
    EXPECT_EQ(rt::Variant::boolean(true).boolean(), -1);
    EXPECT_EQ(rt::Variant::boolean(false).boolean(), 0);
    EXPECT_TRUE(rt::Variant::boolean(false).isBoolean());
    EXPECT_FALSE(rt::Variant::boolean(true).isNumber());
}

TEST(Variant, AccessorOfAnotherKindIsATypeMismatch)
{
    const rt::Variant text(L"c:\\dati\\");
    const rt::Variant number(3.0);
    const rt::Variant flag = rt::Variant::boolean(true);
    EXPECT_EQ(text.string(), L"c:\\dati\\");
    EXPECT_EQ(number.number(), 3.0);
    EXPECT_EQ(errorNumberOf([&] { text.number(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { text.boolean(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { number.string(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { flag.number(); }), rt::err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { flag.object(); }), rt::err::kTypeMismatch);
}

TEST(Variant, EmptyObjectReferenceIsObjectNotSet)
{
    const rt::Variant nothing{rt::ObjectRef()};
    EXPECT_TRUE(nothing.isObject());
    EXPECT_EQ(errorNumberOf([&] { nothing.object(); }), rt::err::kObjectNotSet);
    EXPECT_EQ(errorNumberOf([&] { __vbaObjVar(nothing); }), rt::err::kObjectNotSet);
    EXPECT_EQ(errorNumberOf([&] { __vbaObjVar(rt::Variant(L"testo")); }), rt::err::kTypeMismatch);
}

// --- errors

TEST(RuntimeErrors, StandardDescriptionsAreTheItalianTexts)
{
    EXPECT_EQ(rt::standardDescription(53), L"Impossibile trovare il file");
    EXPECT_EQ(rt::standardDescription(76), L"Impossibile trovare il percorso");
    EXPECT_EQ(rt::standardDescription(75), L"Errore di accesso al percorso/file");
    EXPECT_EQ(rt::standardDescription(429), L"Il componente ActiveX non pu\u00F2 creare l'oggetto");
    EXPECT_EQ(rt::standardDescription(438), L"Propriet\u00E0 o metodo non supportati dall'oggetto");
    EXPECT_EQ(rt::standardDescription(91), L"Variabile oggetto o variabile del blocco With non impostata");
    EXPECT_EQ(rt::standardDescription(1234), L"Errore definito dall'applicazione o dall'oggetto");
    EXPECT_EQ(rt::standardDescription(0), L"Errore definito dall'applicazione o dall'oggetto");
}

TEST(RuntimeErrors, RaiseCarriesNumberDescriptionAndUtf8What)
{
    try {
        rt::raiseError(438);
        FAIL() << "no error raised";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 438);
        EXPECT_EQ(error.description(), rt::standardDescription(438));
        EXPECT_STREQ(error.what(), "runtime error 438: Propriet\xC3\xA0 o metodo non supportati dall'oggetto");
    }
    EXPECT_THROW(rt::raiseError(5174, L"Impossibile trovare il file."), rt::RuntimeError);
}

TEST(RuntimeErrors, ControlFacilityHResultCarriesTheErrorNumber)
{
    const rt::RuntimeError notFound = rt::errorFromHResult(static_cast<rt::HResult>(0x800A0035));
    EXPECT_EQ(notFound.number(), 53);
    EXPECT_EQ(notFound.description(), L"Impossibile trovare il file");

    const rt::RuntimeError described = rt::errorFromHResult(static_cast<rt::HResult>(0x800A146E), L"Documento assente");
    EXPECT_EQ(described.number(), 5230);
    EXPECT_EQ(described.description(), L"Documento assente");
}

TEST(RuntimeErrors, OtherHResultStaysNegativeAsAnAutomationError)
{
    const rt::RuntimeError failed = rt::errorFromHResult(rt::kFail);
    EXPECT_EQ(failed.number(), static_cast<std::int32_t>(0x80004005));
    EXPECT_LT(failed.number(), 0);
    EXPECT_EQ(failed.description(), L"Errore di automazione");

    const rt::RuntimeError unregistered = rt::errorFromHResult(static_cast<rt::HResult>(0x800401F3), L"Stringa di classe non valida");
    EXPECT_EQ(unregistered.number(), static_cast<std::int32_t>(0x800401F3));
    EXPECT_EQ(unregistered.description(), L"Stringa di classe non valida");
}

TEST(RuntimeErrors, ErrorNumberSurvivesTheStatusRoundTrip)
{
    for (std::int32_t number : {5, 53, 70, 75, 76, 91, 429, 438, 440}) {
        const rt::HResult status = rt::hresultOfError(number);
        EXPECT_LT(status, 0) << number;
        EXPECT_EQ(static_cast<std::uint32_t>(status) & 0xFFFF0000u, 0x800A0000u);
        const rt::RuntimeError back = rt::errorFromHResult(status);
        EXPECT_EQ(back.number(), number);
        EXPECT_EQ(back.description(), rt::standardDescription(number));
    }
}

TEST(RuntimeErrors, ReportTextIsNumberBlankLineDescription)
{
    EXPECT_EQ(rt::errorReportText(rt::RuntimeError(53, rt::standardDescription(53))),
              L"Errore di run-time '53':\n\nImpossibile trovare il file");
    EXPECT_EQ(rt::errorReportText(rt::errorFromHResult(rt::kFail)),
              L"Errore di run-time '-2147467259':\n\nErrore di automazione");
}

TEST(RuntimeErrors, FailedPropertyCallRaisesTheStatusAsAnError)
{
    EXPECT_EQ(errorNumberOf([] { __vbaHresultCheckObj(rt::hresultOfError(75), L"Command1", L"_CommandButton", L"Visible"); }), 75);
    EXPECT_EQ(errorNumberOf([] { __vbaHresultCheckObj(rt::kNoInterface, L"Drive1", L"_DriveListBox", L"Drive"); }),
              static_cast<std::int32_t>(0x80004002));
}

// --- strings

TEST(Strings, CompareIsBinaryAndOrdered)
{
    EXPECT_EQ(__vbaStrCmp(L"", L""), 0);
    EXPECT_EQ(__vbaStrCmp(L"licenza.doc", L"licenza.doc"), 0);
    EXPECT_NE(__vbaStrCmp(L"", L"licenza.doc"), 0);
    EXPECT_EQ(__vbaStrCmp(L"LICENZA.DOC", L"licenza.doc"), -1);
    EXPECT_EQ(__vbaStrCmp(L"b", L"a"), 1);
    EXPECT_EQ(__vbaStrCmp(L"ab", L"abc"), -1);
    EXPECT_EQ(__vbaStrCmp(L"abc", L"ab"), 1);
    EXPECT_EQ(__vbaStrCmp(L"\u00E8", L"z"), 1);
}

TEST(Strings, ConcatenationJoinsInOrder)
{
    EXPECT_EQ(__vbaStrCat(L"d:", L"\\ORVANE.doc"), L"d:\\ORVANE.doc");
    EXPECT_EQ(__vbaStrCat(L"", L""), L"");
}

// --- late-bound calls

TEST(LateBinding, MethodCallPassesArgumentsInDeclaredOrder)
{
    Recorder recorder;
    __vbaLateMemCall(recorder, L"copyfile", 2, {rt::Variant(L"c:\\a\\*.doc"), rt::Variant(L"c:\\b\\")});
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].member, L"copyfile");
    EXPECT_EQ(recorder.calls[0].kind, rt::CallKind::Method);
    ASSERT_EQ(recorder.calls[0].args.size(), 2u);
    EXPECT_EQ(recorder.calls[0].args[0].string(), L"c:\\a\\*.doc");
    EXPECT_EQ(recorder.calls[0].args[1].string(), L"c:\\b\\");
}

TEST(LateBinding, ArgumentCountThatDisagreesIsAnInvalidCall)
{
    Recorder recorder;
    EXPECT_EQ(errorNumberOf([&] { __vbaLateMemCall(recorder, L"Open", 2, {rt::Variant(L"x")}); }), rt::err::kInvalidCall);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(LateBinding, GetAndPutReachTheObjectInTheVariant)
{
    auto recorder = std::make_shared<Recorder>();
    const rt::Variant held{rt::ObjectRef(recorder)};
    EXPECT_EQ(__vbaVarLateMemCallLdRf(held, L"Documents", 0).string(), L"Documents");
    __vbaVarLateMemSt(held, L"Visible", rt::Variant::boolean(true));
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[0].kind, rt::CallKind::Get);
    EXPECT_TRUE(recorder->calls[0].args.empty());
    EXPECT_EQ(recorder->calls[1].kind, rt::CallKind::Put);
    ASSERT_EQ(recorder->calls[1].args.size(), 1u);
    EXPECT_EQ(recorder->calls[1].args[0].boolean(), rt::kTrue);
    EXPECT_EQ(errorNumberOf([] { __vbaVarLateMemSt(rt::Variant(), L"Visible", rt::Variant()); }), rt::err::kTypeMismatch);
}

// --- operations before any platform exists

TEST(Operations, WithoutAPlatformEveryOperationIsAnInternalError)
{
    rt::setPlatform(nullptr);
    EXPECT_EQ(errorNumberOf([] { rt::platform(); }), rt::err::kInternal);
    EXPECT_EQ(errorNumberOf([] { rt::Dir(L"c:\\x", rt::vbNormal); }), rt::err::kInternal);
}

TEST(Operations, ArgumentsAreCheckedBeforeThePlatformIsReached)
{
    rt::setPlatform(nullptr);
    EXPECT_EQ(errorNumberOf([] { rt::CreateObject(L"word.application", rt::Variant(L"server")); }),
              rt::err::kCantCreateObject);
    EXPECT_EQ(errorNumberOf([] { rt::MsgBox(rt::Variant(1.0), rt::vbOKOnly); }), rt::err::kTypeMismatch);
}

}  // namespace
