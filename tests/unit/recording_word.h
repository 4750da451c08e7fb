// A word processor for the headless backend, written from what the launcher asks of one: its
// application object answers Documents (a collection with Open) and Visible, and every call is
// logged. Open of a document that is not there fails, as a word processor's does.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "runtime/text.h"
#include "runtime/variant.h"
#include "runtime/wildcard.h"

namespace testing_support {

struct WordLog {
    int created = 0;
    int released = 0;
    std::vector<std::wstring> calls;  // "Documents", "Open <path>", "Visible <value>"
};

class RecordingDocuments final : public rt::Object {
public:
    RecordingDocuments(WordLog& log, std::function<bool(const std::wstring&)> documentExists)
        : log_(log), documentExists_(std::move(documentExists)) {}

    rt::Variant invoke(std::wstring_view member, rt::CallKind kind, const std::vector<rt::Variant>& args) override
    {
        if (!rt::equalsIgnoringCase(member, L"Open") || kind != rt::CallKind::Method || args.empty())
            rt::raiseError(rt::err::kNoSuchMember);
        const std::wstring& path = args.front().string();
        log_.calls.push_back(L"Open " + path);
        if (!documentExists_(path))
            rt::raiseError(5174, L"Impossibile trovare il file.");
        return {};
    }

private:
    WordLog& log_;
    std::function<bool(const std::wstring&)> documentExists_;
};

class RecordingWord final : public rt::Object {
public:
    RecordingWord(WordLog& log, std::function<bool(const std::wstring&)> documentExists)
        : log_(log), documentExists_(std::move(documentExists)) { ++log_.created; }
    ~RecordingWord() override { ++log_.released; }

    rt::Variant invoke(std::wstring_view member, rt::CallKind kind, const std::vector<rt::Variant>& args) override
    {
        if (rt::equalsIgnoringCase(member, L"Documents") && kind == rt::CallKind::Get) {
            log_.calls.push_back(L"Documents");
            return rt::ObjectRef(std::make_shared<RecordingDocuments>(log_, documentExists_));
        }
        if (rt::equalsIgnoringCase(member, L"Visible") && kind == rt::CallKind::Put && args.size() == 1) {
            log_.calls.push_back(L"Visible " + std::to_wstring(args.front().boolean()));
            return {};
        }
        rt::raiseError(rt::err::kNoSuchMember);
    }

private:
    WordLog& log_;
    std::function<bool(const std::wstring&)> documentExists_;
};

}  // namespace testing_support
