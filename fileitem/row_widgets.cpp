// The row's widgets in the two panes and their look: markers, fonts and
// colours from the theme, read at the moment of use.
#include "fileitem/bindings.hpp"
#include "fileitem/rowlogic.hpp"

namespace fileitem::binding {

namespace {

// A member of the theme's tree entry, read at the moment of use.
py::object tree_look(py::handle mod, const char* member) {
    return mod.attr("skins").attr("THEME").attr("tree").attr(member);
}

void set_colours(py::handle mod, py::handle widget, const char* foreground, const char* background) {
    widget.attr("SetForegroundColour")(tree_look(mod, foreground));
    widget.attr("SetBackgroundColour")(tree_look(mod, background));
}

// Font, text colour and background, in this order.
void set_look(py::handle mod, py::handle widget, const char* font, const char* foreground,
              const char* background) {
    widget.attr("SetFont")(tree_look(mod, font));
    set_colours(mod, widget, foreground, background);
}

// A marker's text. The markers are read-only and no one handles their text
// events: ChangeValue sets the text without sending one, and leaves a text
// already shown alone (SetValue would send an event through every window
// up to the application for each of the three formattings of a new row).
void show_marker(py::handle field, py::handle mark) { field.attr("ChangeValue")(mark); }

bool is_checked(py::handle mod, py::handle self) {
    return self.attr("checkbox").attr("Get3StateValue")().equal(mod.attr("wx").attr("CHK_CHECKED"));
}

// The marker of a row with children in the given state, or of a leaf.
py::object marker(py::handle mod, py::handle self, const char* with_children) {
    return mod.attr(is_leaf(self) ? "MARK_LEAF" : with_children);
}

py::object text_field(py::handle mod, py::handle parent, py::handle value, int width, py::handle style) {
    py::object wx = mod.attr("wx");
    return wx.attr("TextCtrl")(parent, wx.attr("ID_ANY"), value, py::arg("size") = py::make_tuple(width, -1),
                               py::arg("style") = style);
}

// A widget of the row, pointing back at it.
py::object owned(py::handle self, const char* field, py::object widget) {
    widget.attr("fileitem") = self;
    self.attr(field) = widget;
    return widget;
}

void setup_leftside(py::handle mod, py::object self, py::object rownmb) {
    py::object wx = mod.attr("wx");
    py::object pane = setting(self, "wxparent1");
    const int32_t indent = pyglue::to_int32(self.attr("indent"));
    py::object row = wx.attr("BoxSizer")(wx.attr("HORIZONTAL"));
    py::object marker_style = wx.attr("BORDER_NONE") | wx.attr("TE_READONLY");
    py::object exp1 = owned(self, "exp1", text_field(mod, pane, self.attr("expandchar"), 10, marker_style));
    row.attr("Add")(exp1, 0, wx.attr("ALL"), 0);
    row.attr("AddSpacer")(fileitem::indent_pixels(indent));
    py::object checkbox = owned(self, "checkbox",
                                wx.attr("CheckBox")(pane, wx.attr("ID_ANY"), self.attr("name"),
                                                    py::arg("style") = wx.attr("CHK_3STATE")));
    const int32_t width = pyglue::to_int32(checkbox.attr("GetSize")()[py::int_(0)]);
    mod.attr("textwidth") = py::int_(std::max(pyglue::to_int32(mod.attr("textwidth")), width));
    checkbox.attr("Bind")(wx.attr("EVT_CHECKBOX"), self.attr("checkbox_click"));
    row.attr("Add")(checkbox, 0, wx.attr("ALL"), 0);
    setting(self, "sizer1").attr("Add")(row, py::arg("pos") = py::make_tuple(rownmb, 0), py::arg("flag") = 1,
                                        py::arg("border") = 2);
    mod.attr("nodes")[identity(checkbox)] = self;
}

void setup_rightside(py::handle mod, py::object self, py::object rownmb) {
    py::object wx = mod.attr("wx");
    py::object pane = setting(self, "wxparent2");
    const int32_t indent = pyglue::to_int32(self.attr("indent"));
    py::object proposal = self.attr("transform")();
    pyglue::require_str(proposal, "transform", "result");
    const char* mark = tick_for(self, proposal);
    py::object row = wx.attr("BoxSizer")(wx.attr("HORIZONTAL"));
    py::object marker_style = wx.attr("BORDER_NONE") | wx.attr("TE_READONLY");
    py::object all_expand = wx.attr("ALL") | wx.attr("EXPAND");
    py::object exp2 = owned(self, "exp2", text_field(mod, pane, self.attr("expandchar"), 10, marker_style));
    row.attr("Add")(exp2, 0, wx.attr("ALL"), 0);
    py::object tick = owned(self, "tick", text_field(mod, pane, py::str(mark), 15, marker_style));
    row.attr("Add")(tick, 0, all_expand, 0);
    row.attr("AddSpacer")(fileitem::indent_pixels(indent));
    py::object field_style = wx.attr("BORDER_NONE") | wx.attr("TE_PROCESS_ENTER");
    py::object proposed = owned(self, "proposed",
                                text_field(mod, pane, proposal, pyglue::to_int32(mod.attr("textwidth")),
                                           field_style));
    row.attr("Add")(proposed, 0, all_expand, 0);
    proposed.attr("Bind")(wx.attr("EVT_TEXT"), self.attr("on_proposed_update"));
    setting(self, "sizer2").attr("Add")(row, py::arg("pos") = py::make_tuple(rownmb, 1),
                                        py::arg("flag") = wx.attr("EXPAND"), py::arg("border") = 2);
    mod.attr("propnodes")[identity(proposed)] = self;
}

void format_row(py::object self) {
    self.attr("format_row_leftside")();
    self.attr("format_row_rightside")();
}

void format_row_leftside(py::handle mod, py::object self) {
    py::object exp1 = self.attr("exp1");
    py::object checkbox = self.attr("checkbox");
    if (pyglue::truth(self.attr("collapsed"))) {
        show_marker(exp1, marker(mod, self, "MARK_COLLAPSED"));
    } else {
        show_marker(exp1, marker(mod, self, "MARK_EXPANDED"));
        set_look(mod, exp1, "expanded_font", "expanded_foreground", "expanded_background");
        checkbox.attr("SetFont")(tree_look(mod, "font"));
    }
    if (is_checked(mod, self))
        set_colours(mod, checkbox, "selected_foreground", "selected_background");
    else
        set_colours(mod, checkbox, "foreground", "background");
}

void format_row_rightside(py::handle mod, py::object self) {
    py::object exp1 = self.attr("exp1");
    py::object exp2 = self.attr("exp2");
    py::object tick = self.attr("tick");
    py::object proposed = self.attr("proposed");
    const bool has_field = !proposed.is_none();
    const bool collapsed = pyglue::truth(self.attr("collapsed"));
    const char* state = collapsed ? "collapsed" : "expanded";
    const std::string font = std::string(state) + "_font";
    const std::string foreground = std::string(state) + "_foreground";
    const std::string background = std::string(state) + "_background";
    if (collapsed) {
        set_look(mod, tick, font.c_str(), foreground.c_str(), background.c_str());
        proposed.attr("SetFont")(tree_look(mod, font.c_str()));
    } else if (has_field) {
        set_look(mod, tick, font.c_str(), foreground.c_str(), background.c_str());
        proposed.attr("SetFont")(tree_look(mod, "font"));
    }
    py::object mark = marker(mod, self, collapsed ? "MARK_COLLAPSED" : "MARK_EXPANDED");
    show_marker(exp1, mark);
    show_marker(exp2, mark);
    set_look(mod, exp1, font.c_str(), foreground.c_str(), background.c_str());
    set_look(mod, exp2, font.c_str(), foreground.c_str(), background.c_str());
    if (!has_field) return;
    if (is_checked(mod, self))
        set_colours(mod, proposed, "selected_foreground", "selected_background");
    else
        set_colours(mod, proposed, "foreground", "background");
}

}  // namespace

void add_widget_methods(py::dict& ns, const py::object& mod) {
    ns["setup_leftside"] = method(
        [mod](py::object self, py::object rownmb) { setup_leftside(mod, self, rownmb); }, py::arg("rownmb"));
    ns["setup_rightside"] = method(
        [mod](py::object self, py::object rownmb) { setup_rightside(mod, self, rownmb); }, py::arg("rownmb"));
    ns["format_row"] = method(&format_row);
    ns["format_row_leftside"] = method([mod](py::object self) { format_row_leftside(mod, self); });
    ns["format_row_rightside"] = method([mod](py::object self) { format_row_rightside(mod, self); });
}

}  // namespace fileitem::binding
