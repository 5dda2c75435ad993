// Frame ids across the versions: the 2.3 id of each 2.2 frame, and the 2.4 frames
// that 2.3 lacks, with what becomes of them.
#pragma once

#include <string_view>

namespace brambex {

// The 2.3 id for an input frame of the given version, written to out (four
// characters); false when 2.3 has no such frame. 2.4's date, people, mood and volume
// frames keep their ids here: the rewrite turns them into other frames.
bool MapFrameId(int version, std::string_view id, char* out);

// 2.4 frames that become frames of other ids (TDRC becomes TYER, TDAT and TIME, TDOR
// TORY, TIPL and TMCL one IPLS, TMOO and RVA2 TXXX): at the top of a tag only, as a
// chapter has no room for what they become.
bool BecomesOtherFrames(std::string_view v24Id);

}  // namespace brambex
