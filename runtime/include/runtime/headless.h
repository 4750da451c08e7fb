// The headless backend: a working model of the platform for tests. Drive letters map to host
// folders, file operations act on the real host file system, automation objects come from a
// registry, and every start, box, pointer change and error report is recorded. Any operation
// can be armed to fail on its Nth call.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/form.h"
#include "runtime/platform.h"

namespace rt::headless {

enum class Op {
    FindFirst,
    MakeFolder,
    DeleteFiles,
    CreateObject,
    StartProgram,
    MessageBox,
    LetVisible,
    LetMousePointer,
    GetDrive,
    LateCall,  // any late-bound get, call or store on an object made by CreateObject
};

enum class DriveState { Ready, NotReady };

struct StartedProgram {
    std::wstring path;
    int windowStyle;
};

struct ShownMessage {
    std::wstring prompt;
    int buttons;
    std::wstring title;
};

// Thrown by end(): the program has ended. The session catches it; it is no runtime error.
struct ProgramEnded {};

class Session final : public Platform {
public:
    // `title` is the project's title, Windows-1252.
    explicit Session(const Project& project);
    ~Session() override;

    // --- the machine
    void mapDrive(wchar_t letter, const std::filesystem::path& hostFolder, DriveState state = DriveState::Ready);
    // The drive the program file was started from: what the drive lists hold at start.
    void setProgramDrive(wchar_t letter);
    void registerObject(const std::wstring& progId, std::function<ObjectRef()> factory);
    void unregisterObject(const std::wstring& progId);
    // The Nth call of `op` counted from now fails: a file or object operation with runtime
    // error `errorNumber`, a property call with the status of that error.
    void arm(Op op, int nth, std::int32_t errorNumber = err::kPathFileAccess);
    std::filesystem::path hostPath(std::wstring_view windowsPath) const;  // throws RuntimeError 52/68/76

    // --- the user
    void start();                               // builds the form, raises its load event
    void click(std::string_view control);       // a visible button's click
    void chooseDrive(std::string_view driveList, wchar_t letter);  // Change when it differs
    void raise(std::string_view control, Event event);             // any bound event
    void pressTab();
    std::string_view focus() const;             // the focused control's name, or ""

    // --- what can be seen
    bool started() const { return form_ != nullptr; }
    bool isVisible(std::string_view control) const;
    std::wstring heldDrive(std::string_view driveList) const;
    std::vector<wchar_t> listedDrives() const;
    int mousePointer() const { return pointer_; }
    const std::vector<int>& pointerChanges() const { return pointerChanges_; }
    const std::vector<StartedProgram>& startedPrograms() const { return started_; }
    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<RuntimeError>& reports() const { return reports_; }
    bool ended() const { return ended_; }

    // --- Platform
    std::wstring findFirst(const std::wstring& path, int attributes) override;
    void makeFolder(const std::wstring& path) override;
    void deleteFiles(const std::wstring& pattern) override;
    ObjectRef createObject(const std::wstring& progId) override;
    double startProgram(const std::wstring& path, int windowStyle) override;
    int messageBox(const std::wstring& prompt, int buttons, const std::wstring& title) override;
    [[noreturn]] void end() override;
    void reportError(const RuntimeError& error) override;

    // Counts a call of `op` and throws (or returns the failure status) when it is armed.
    void checkArmed(Op op);
    HResult armedStatus(Op op);

private:
    class HeadlessWindow;
    class HeadlessControl;
    class CountingObject;
    friend class HeadlessWindow;
    friend class HeadlessControl;
    friend class CountingObject;

    struct Drive {
        std::filesystem::path folder;
        DriveState state;
    };
    struct Armed {
        Op op;
        int remaining;
        std::int32_t errorNumber;
    };

    std::int32_t takeArmed(Op op);  // 0 when not armed
    void dispatch(std::string_view control, Event event);
    HeadlessControl& userControl(std::string_view name) const;  // throws std::logic_error on misuse
    std::vector<const ControlDesc*> currentTabOrder() const;

    const Project& project_;
    std::unique_ptr<Form> form_;
    std::unique_ptr<HeadlessWindow> window_;
    std::map<wchar_t, Drive> drives_;
    wchar_t programDrive_ = L'c';
    std::map<std::wstring, std::function<ObjectRef()>> objects_;
    std::vector<Armed> armed_;
    int pointer_ = 0;
    std::vector<int> pointerChanges_;
    std::vector<StartedProgram> started_;
    std::vector<ShownMessage> messages_;
    std::vector<RuntimeError> reports_;
    bool ended_ = false;
    std::string focus_;
    double nextTaskId_ = 1000;
};

// The file-system object of the headless backend: `copyfile source-pattern, destination-folder`
// copies every file whose long name matches into the folder, overwriting; error 53 when none matches.
ObjectRef makeFileSystemObject(Session& session);

}  // namespace rt::headless
