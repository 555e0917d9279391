// YUserQuestions: how a command asks the user before it acts. The editor answers through its
// dialogs; without an editor, whoever drives the command (a test, a tool) supplies the answers.
#pragma once

#include "foundation/YString.h"

class YUserQuestions {
public:
    virtual ~YUserQuestions() = default;

    // A yes/no question; true means go ahead.
    virtual bool Confirm(const YString& question) = 0;

    // Asks for a text, offering `proposal`; false when the user cancels, else `answer` is set.
    virtual bool AskText(const YString& prompt, const YString& proposal, YString& answer) = 0;

    // Something the user must hear about (a file set aside, a refused paste).
    virtual void Tell(const YString& message) = 0;
};
