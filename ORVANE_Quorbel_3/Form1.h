// The launcher's window: the index, licence and close buttons over the product's artwork.
#pragma once

#include <vector>

#include "runtime/form.h"

namespace launcher {

extern const rt::FormDesc kForm1Desc;
extern const rt::Project kProject;

class Form1 final : public rt::Form {
public:
    Form1() : rt::Form(kForm1Desc) {}

    std::vector<rt::Binding> bindings() override;

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command5_Click();

private:
    void openDocument(const std::wstring& path);
};

}  // namespace launcher
