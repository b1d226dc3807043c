// The main window `Reshaper`: the host's window with this tool's settings,
// options panel and transformer, and its Help and About boxes.
#include "reshaper/bindings.hpp"
#include "reshaper/window.hpp"

namespace reshaper::binding {

namespace {

using pyglue::dprint;
using namespace reshaper::texts;

std::string help_text() {
    const std::string a = EXAMPLE_A, a_done = EXAMPLE_A_DONE, b = EXAMPLE_B, b_done = EXAMPLE_B_DONE;
    const std::string lines[] = {
        "The eight-fold path to multiple file renaming",
        "",
        "1. Use File -> Open to choose the folder you wish to operate upon",
        "",
        "2. Click Folders if you only want to view folders, and not both files and folders",
        "",
        "3. Click Recursive if you want to see subfolders and the files within them",
        "",
        "4. Define the layout of our source file names.",
        "   For example, if you choose the source format of 'a - b' and a target format of 'b - a'",
        "   it will transform      '" + a + "'",
        "      to",
        "      '" + a_done + "'",
        "",
        "   If you have a source format of 'title (series) - author' and a target format of ",
        "      'author ~ [series] title' then it will transform",
        "      '" + b + "'      to",
        "     '" + b_done + "'",
        "",
        "5. Click Refresh to see the proposed renames on the righthand pane. They are",
        "   indicated by checkmarks",
        "",
        "6. You can also manually change any text on the right-hand pane",
        "",
        "7. Tick the checkboxes on the left-hand pane or use the Select menu to choose",
        "    which of the proposed renames you want to execute.",
        "",
        "8. Click the Execute button and confirm the changes listed.",
        "",
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text + "\n";
}

py::object program_stem(py::handle mod) {
    py::object name = mod.attr("hostkit").attr("scriptname")();
    return mod.attr("os").attr("path").attr("splitext")(name)[py::int_(0)];
}

py::object default_folder(py::handle mod) {
    py::object os = mod.attr("os");
    if (!py::str(mod.attr("sys").attr("platform")).equal(py::str("win32"))) return py::str("~");
    // Without USERPROFILE there is no Documents folder to name: the home folder will do.
    py::object profile = os.attr("environ").attr("get")("USERPROFILE");
    if (profile.is_none()) return py::str("~");
    return pyglue::concat(profile, os.attr("sep"), "Documents");
}

void window_init(py::handle mod, py::object self, py::object parent) {
    py::dict defaults;
    defaults["location"] = default_folder(mod);
    defaults["pattern"] = "";
    defaults["folders"] = true;
    defaults["recursive"] = true;
    defaults["source_format"] = "a - b";
    defaults["target_format"] = "b - a";
    defaults["delimiter"] = "hyphen";
    defaults["reversed_names"] = false;
    py::object stem = program_stem(mod);
    py::object cfg = mod.attr("prefstore").attr("Config")(defaults, py::arg("cfgfile") = pyglue::concat(stem, ".json"));
    self.attr("cfg") = cfg;
    py::object title = pyglue::concat(stem, " - ", py::str(cfg.attr("location")));
    mod.attr("basewindow").attr("Basewindow").attr("__init__")(
        self, parent, py::arg("title") = title, py::arg("choicespanel") = mod.attr("ReshapePanel"),
        py::arg("transformclass") = mod.attr("Reshape"), py::arg("size") = py::make_tuple(800, 600));
}

void show_message(py::handle mod, py::object self, py::object text) {
    py::object caption = pyglue::concat("About ", mod.attr("hostkit").attr("scriptname")());
    py::module_::import("messagebox").attr("show_message")(self, text, caption);
}

py::object make_window_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method([mod](py::object self, py::object parent) { window_init(mod, self, parent); },
                                    py::arg("parent"), "__init__(self, parent: wx.Window) -> Self");
    ns["on_help"] = pyglue::method(
        [mod](py::object self, py::object) {
            dprint(mod, "messaging help");
            show_message(mod, self, py::str(help_text()));
        },
        py::arg("event"), "on_help(self, event: wx.Event)");
    ns["on_about"] = pyglue::method(
        [mod](py::object self, py::object) {
            dprint(mod, "messaging about");
            show_message(mod, self,
                         pyglue::concat(program_stem(mod), ".exe\n\nversion ", mod.attr("__version__"), ABOUT_BODY));
        },
        py::arg("event"), "on_about(self, event: wx.Event)");
    return pyglue::make_class("reshaper", "Reshaper", "The main frame",
                              py::make_tuple(mod.attr("basewindow").attr("Basewindow")), ns);
}
}  // namespace

void register_window(py::module_& m) { m.attr("Reshaper") = make_window_class(m); }

}  // namespace reshaper::binding
