// The options panel `ReshapePanel`: the source and target format fields
// below the host's common choices.
#include "reshaper/bindings.hpp"
#include "reshaper/window.hpp"

namespace reshaper::binding {

namespace {

using pyglue::dprint;
using namespace reshaper::texts;

py::object wx_of(py::handle mod) { return mod.attr("wx"); }

// Adds `item` to `sizer` as every item of the panel is added.
void add_item(py::handle mod, py::handle sizer, py::handle item) {
    sizer.attr("Add")(item, 0, wx_of(mod).attr("ALL"), 5);
}

py::object labelled(py::handle mod, py::object panel, const char* label, const char* tip) {
    py::object text = wx_of(mod).attr("StaticText")(panel, py::arg("label") = label);
    text.attr("SetToolTip")(tip);
    return text;
}

py::object format_field(py::handle mod, py::object panel, py::handle value, const char* tip) {
    py::object field = wx_of(mod).attr("TextCtrl")(panel, py::arg("value") = value,
                                                 py::arg("size") = py::make_tuple(-1, 17));
    field.attr("SetToolTip")(tip);
    return field;
}

void panel_init(py::handle mod, py::object self, py::object parent, py::object config, py::object on_change,
                py::object renames, py::object untick, py::object on_progress) {
    self.attr("cfg") = config;
    mod.attr("choices").attr("ChoicesPanel").attr("__init__")(
        self, parent, py::arg("config") = config, py::arg("on_change") = on_change, py::arg("renames") = renames,
        py::arg("untick") = untick, py::arg("on_progress") = on_progress);
    self.attr("target") = "";
    self.attr("reversed_names") = false;
    py::object wx = wx_of(mod);
    py::object row = wx.attr("BoxSizer")(wx.attr("HORIZONTAL"));
    add_item(mod, row, labelled(mod, self, "Source format:", SOURCE_TIP));
    if (!pyglue::truth(config.attr("source_format"))) config.attr("source_format") = "name";
    py::object source_ctrl = format_field(mod, self, config.attr("source_format"), SOURCE_TIP);
    self.attr("source_ctrl") = source_ctrl;
    add_item(mod, row, source_ctrl);
    add_item(mod, row, labelled(mod, self, "Target format:", TARGET_TIP));
    dprint(mod, "source_format:", config.attr("source_format"));
    py::object target_value;
    if (pyglue::truth(config.attr("target_format"))) {
        dprint(mod, "non-empty target format");
        target_value = config.attr("target_format");
    } else {
        dprint(mod, "empty target format so using source format:", config.attr("source_format"));
        target_value = config.attr("source_format");
    }
    dprint(mod, "target_format:", target_value);
    py::object target_ctrl = format_field(mod, self, target_value, TARGET_TIP);
    self.attr("target_ctrl") = target_ctrl;
    add_item(mod, row, target_ctrl);
    py::object main_sizer = self.attr("main_sizer");
    add_item(mod, main_sizer, row);
    main_sizer.attr("Fit")(self);
    self.attr("SetSizer")(main_sizer);
    main_sizer.attr("Fit")(self);
    self.attr("Layout")();
}

// A field's text without blanks at either end, or `fallback` (also shown in
// the field) when nothing is left.
py::object stripped_or(py::object field, py::object fallback, bool& fell_back) {
    py::object text = field.attr("GetValue")().attr("strip")();
    fell_back = !pyglue::truth(text);
    if (fell_back) field.attr("SetValue")(fallback);
    return fell_back ? fallback : text;
}

void panel_refresh(py::handle mod, py::object self) {
    py::object cfg = self.attr("cfg");
    bool fell_back = false;
    py::object source_ctrl = self.attr("source_ctrl");
    cfg.attr("source_format") = source_ctrl.attr("GetValue")().attr("strip")();
    if (!pyglue::truth(cfg.attr("source_format"))) {
        cfg.attr("source_format") = "name";
        source_ctrl.attr("SetValue")("name");
    }
    cfg.attr("target_format") = stripped_or(self.attr("target_ctrl"), cfg.attr("source_format"), fell_back);
    if (fell_back) self.attr("parent").attr("Refresh")();
    dprint(mod, pyglue::concat("transform is ", py::type::handle_of(self).attr("__name__")));
    dprint(mod, "+++ Reshape");
}

void panel_targetformat(py::object self) {
    self.attr("config").attr("reshape_names")["target_format"] = self.attr("targetformat").attr("GetValue")();
    self.attr("on_fixedformat_change")();
    self.attr("disable_execute")();
}

py::object make_panel_class(py::object mod) {
    py::dict ns;
    ns["__init__"] = pyglue::method(
        [mod](py::object self, py::object parent, py::object config, py::object on_change, py::object renames,
              py::object untick, py::object on_progress) {
            panel_init(mod, self, parent, config, on_change, renames, untick, on_progress);
        },
        py::arg("parent"), py::arg("config"), py::arg("on_change"), py::arg("renames"), py::arg("untick"),
        py::arg("on_progress"), "__init__(self, parent, config, on_change, renames, untick, on_progress) -> Self");
    ns["on_refresh"] = pyglue::method([mod](py::object self) { panel_refresh(mod, self); }, "on_refresh(self)");
    for (const char* name : {"on_source_open", "on_source_close"})
        ns[name] = pyglue::method([](py::object self, py::object) { self.attr("disable_execute")(); },
                                  py::arg("event"), "(self, event: wx.Event)");
    ns["on_targetformat"] = pyglue::method([](py::object self, py::object) { panel_targetformat(self); },
                                           py::arg("event"), "on_targetformat(self, event: wx.Event)");
    return pyglue::make_class("reshaper", "ReshapePanel", PANEL_DOC,
                              py::make_tuple(mod.attr("choices").attr("ChoicesPanel")), ns);
}
}  // namespace

void register_panel(py::module_& m) { m.attr("ReshapePanel") = make_panel_class(m); }

}  // namespace reshaper::binding
