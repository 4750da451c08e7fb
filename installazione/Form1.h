// The setup chooser's window: one button per Windows family, the close button, and the drive
// list with its prompts, shown when the product CD is not where the list points.
#pragma once

#include <string>
#include <vector>

#include "runtime/form.h"

namespace chooser {

extern const rt::FormDesc kForm1Desc;
extern const rt::Project kProject;

class Form1 final : public rt::Form {
public:
    Form1() : rt::Form(kForm1Desc) {}

    std::vector<rt::Binding> bindings() override;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Drive1_Change();
    void Drive2_Change();

private:
    bool cdFound();
    void startSetup(const std::wstring& setupPath);
    void revealDriveList();
    void startFromCd(const std::wstring& setupPath);
    void showClosingHint();
};

}  // namespace chooser
