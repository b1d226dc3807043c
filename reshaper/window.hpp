// The texts of the reshape tool's windows: tooltips of the options panel and
// the Help and About dialogs.
#pragma once

namespace reshaper::texts {

inline const char* const PANEL_DOC =
    "This options panel displays the options applicable to the file name reformatting";

inline const char* const SOURCE_TIP =
    "Specify the components and delimiters of the filename that you want to manipulate";

inline const char* const TARGET_TIP =
    "How the components and delimiters should be rearranged, e.g.\n"
    "    source format \"a, b\" and target format \"b a\" would transform\n"
    "         \"Smith, John H.\" to \"John H. Smith\"";

// The help's two examples; the tests run them through the tool and expect
// exactly the rearranged forms shown.
inline const char* const EXAMPLE_A = "Douglas Adams - The Hitchhiker's Guide to the Galaxy.txt";
inline const char* const EXAMPLE_A_DONE = "The Hitchhiker's Guide to the Galaxy - Douglas Adams.txt";
inline const char* const EXAMPLE_B = "Mostly Harmless (Hitchhiker #5) - Douglas Adams";
inline const char* const EXAMPLE_B_DONE = "Douglas Adams ~ [Hitchhiker #5] Mostly Harmless";

inline const char* const ABOUT_BODY =
    "\n"
    "\n"
    "This program will check every file in the chosen folder, attempt to separate\n"
    " out the components and delimiters you defined in the source format. If successful, it will\n"
    "transform the file name according to your target format.\n"
    "\n"
    "You can then execute whichever such files you want to transform\n"
    "\n"
    "Nothing is renamed before you confirm, and Edit -> Undo gives a batch its old names back.";

}  // namespace reshaper::texts
