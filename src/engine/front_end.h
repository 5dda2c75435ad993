// The merge's whole front end: its messages, its questions and its progress, each a
// narrow interface of its own (front_end_messages.h, front_end_questions.h,
// front_end_progress.h). The session and the writers of a merge need all three; code
// that needs one (the scan's messages, a picture's note) takes that one. The desktop
// program implements them with widgets, the command-line program with a terminal, the
// tests with a scripted fake.
#pragma once

#include "engine/front_end_messages.h"
#include "engine/front_end_progress.h"
#include "engine/front_end_questions.h"

namespace brambex {

class FrontEnd : public Messages, public Questions, public ProgressNotes {};

}  // namespace brambex
