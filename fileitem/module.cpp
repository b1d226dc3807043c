// Python interface of the tree rows: the module's markers and registries,
// `ContextMenu` (a wx.Menu) and `Fileitem`, one row of the file tree with its
// widgets in the two panes. Both classes are made with type() so that they
// behave as Python classes; the decisions they take are in rowlogic.cpp and
// names/rules.cpp.
#include "fileitem/rowlogic.hpp"
#include "names/rules.hpp"
#include "pyglue/pyglue.hpp"

namespace py = pybind11;
using pyglue::method;
using pyglue::to_u32;

namespace {

const char* const TICK_MARK = "\u221a";
const char* const NO_TICK = " ";

// The identity of a widget as the registries key it.
py::object identity(py::handle obj) {
    return py::reinterpret_steal<py::object>(PyLong_FromVoidPtr(obj.ptr()));
}

// Class-wide settings are read from the row's class at every use, without
// binding: a plain function stored there is the transform itself.
py::object setting(py::handle self, const char* name) {
    return py::type::handle_of(self).attr(name);
}

bool is_none(py::handle obj) { return obj.is_none(); }

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

bool is_leaf(py::handle self) { return py::len(self.attr("children")) == 0; }

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

// ---- the row model ----

void row_init(py::handle mod, py::object self, py::object branch, py::object parent, py::object indent,
              py::object rownmb) {
    pyglue::require_exact(branch, &PyList_Type, "Fileitem", "branch", "list");
    const int32_t depth = pyglue::to_int32(indent);
    const int32_t row = pyglue::to_int32(rownmb);
    py::object os = mod.attr("os");
    py::object sep = os.attr("sep");
    self.attr("branch") = branch;
    self.attr("stem") = sep.attr("join")(branch[py::slice(0, -1, 1)]);
    py::object path = pyglue::concat(py::handle(setting(self, "location")), py::handle(sep.attr("join")(branch)));
    self.attr("folder") = os.attr("path").attr("isdir")(path);
    self.attr("parent") = parent;
    self.attr("indent") = py::int_(depth);
    if (!is_none(parent)) parent.attr("children")[self.attr("name")] = self;
    self.attr("expandchar") = mod.attr("MARK_EXPANDED");
    for (const char* field : {"exp1", "exp2"}) self.attr(field) = py::none();
    self.attr("collapsed") = false;
    self.attr("ticked") = false;
    self.attr("children") = py::dict();
    for (const char* field : {"checkbox", "tick", "proposed"}) self.attr(field) = py::none();
    if (depth > -1) {
        self.attr("setup_leftside")(row);
        self.attr("setup_rightside")(row);
    }
}

void update_parent(py::object self) {
    py::object parent = self.attr("parent");
    if (!is_none(parent)) parent.attr("children")[self.attr("name")] = self;
}

py::object row_text(py::handle mod, py::object self) {
    py::object parent = self.attr("parent");
    const bool orphan = is_none(parent);
    py::object parent_name = orphan ? py::str("Empty") : py::str(parent.attr("name"));
    py::object parent_id = orphan ? py::str("-") : py::str(identity(parent));
    py::object children = mod.attr("hostkit").attr("andlist")(py::list(self.attr("children")),
                                                              py::arg("quote") = "'");
    return pyglue::concat("<Fileitem: name: '", py::handle(self.attr("name")), "', parent: ",
                          py::handle(parent_name), " (", py::handle(parent_id), "), indent: ",
                          py::handle(py::str(self.attr("indent"))), "\n    children: ",
                          py::handle(children), ">");
}

py::object transform(py::object self) {
    py::object name = self.attr("name");
    py::object defined = setting(self, "defined_transform");
    if (is_none(defined)) return name;
    if (pyglue::truth(self.attr("folder"))) return defined(name) + py::str("");
    pyglue::require_str(name, "transform", "name");
    const auto length = static_cast<int32_t>(PyUnicode_GET_LENGTH(name.ptr()));
    const auto dot = static_cast<int32_t>(names::extension_start(to_u32(name)));
    return defined(pyglue::substring(name, 0, dot)) + pyglue::substring(name, dot, length - dot);
}

py::object newname(py::object self) {
    py::object text = self.attr("proposed").attr("GetValue")();
    return pyglue::truth(text) ? text : py::object(self.attr("name"));
}

// ---- checkbox states ----

void set_checkbox_state(py::object self, py::object state) {
    self.attr("checkbox").attr("Set3StateValue")(state);
    self.attr("format_row")();
}

void up_check(py::object self, py::object state) {
    py::object parent = self.attr("parent");
    if (is_none(parent)) return;
    std::set<int32_t> states;
    for (py::handle child : parent.attr("children").attr("values")())
        states.insert(pyglue::to_int32(child.attr("checkbox").attr("Get3StateValue")()));
    const py::int_ next(fileitem::combined_state(states, pyglue::to_int32(state)));
    if (is_none(parent.attr("checkbox"))) return;  // the root row
    parent.attr("set_checkbox_state")(next);
    parent.attr("up_check")(next);
}

void down_check(py::object self, py::object state) {
    self.attr("set_checkbox_state")(state);
    for (py::handle child : py::list(self.attr("children").attr("values")())) child.attr("down_check")(state);
}

void propagate_checkbox_state(py::object self, py::object state) {
    self.attr("up_check")(state);
    self.attr("down_check")(state);
}

void checkbox_click(py::handle mod, py::object self, py::object event) {
    py::object checkbox = event.attr("GetEventObject")();
    const int32_t state = pyglue::to_int32(checkbox.attr("Get3StateValue")());
    py::object nodes = mod.attr("nodes");
    py::object key = identity(checkbox);
    // A checkbox of a tree that has since been replaced is no longer known.
    if (!nodes.contains(key)) return;
    nodes[key].attr("propagate_checkbox_state")(state);
    py::object right = setting(self, "wxparent2");
    right.attr("Refresh")();
    right.attr("Update")();
    checkbox.attr("SetFocus")();
}

// ---- widgets ----

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
    const bool ticked = names::proposes_change(to_u32(proposal), to_u32(self.attr("name")));
    self.attr("ticked") = ticked;
    py::object row = wx.attr("BoxSizer")(wx.attr("HORIZONTAL"));
    py::object marker_style = wx.attr("BORDER_NONE") | wx.attr("TE_READONLY");
    py::object all_expand = wx.attr("ALL") | wx.attr("EXPAND");
    py::object exp2 = owned(self, "exp2", text_field(mod, pane, self.attr("expandchar"), 10, marker_style));
    row.attr("Add")(exp2, 0, wx.attr("ALL"), 0);
    py::object tick = owned(self, "tick", text_field(mod, pane, py::str(ticked ? TICK_MARK : NO_TICK), 15,
                                                     marker_style));
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
        exp1.attr("SetValue")(marker(mod, self, "MARK_COLLAPSED"));
    } else {
        exp1.attr("SetValue")(marker(mod, self, "MARK_EXPANDED"));
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
    const bool has_field = !is_none(proposed);
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
    exp1.attr("SetValue")(mark);
    exp2.attr("SetValue")(mark);
    set_look(mod, exp1, font.c_str(), foreground.c_str(), background.c_str());
    set_look(mod, exp2, font.c_str(), foreground.c_str(), background.c_str());
    if (!has_field) return;
    if (is_checked(mod, self))
        set_colours(mod, proposed, "selected_foreground", "selected_background");
    else
        set_colours(mod, proposed, "foreground", "background");
}

// ---- events ----

void set_right_click(py::handle mod, py::object self) {
    py::object event = mod.attr("wx").attr("EVT_RIGHT_DOWN");
    py::object handler = self.attr("on_right_click");
    self.attr("exp1").attr("Bind")(event, handler);
    self.attr("checkbox").attr("Bind")(event, handler);
    if (is_none(self.attr("proposed"))) return;
    for (const char* field : {"exp2", "tick", "proposed"}) self.attr(field).attr("Bind")(event, handler);
}

// Destroys the popup menu however its showing ends.
struct MenuGuard {
    py::object menu;
    ~MenuGuard() {
        if (menu) pyglue::call_quietly(menu, "Destroy");
    }
};

void on_right_click(py::handle mod, py::object self, py::object) {
    if (is_leaf(self)) return;
    MenuGuard guard{mod.attr("ContextMenu")(self, self, setting(self, "sizer1"), setting(self, "sizer2"))};
    py::object pane = setting(self, "wxparent1");
    const int32_t x = fileitem::popup_x(pyglue::to_int32(pane.attr("GetSize")()[py::int_(0)]));
    const int32_t y = pyglue::to_int32(self.attr("tick").attr("GetPosition")()[py::int_(1)]);
    pane.attr("PopupMenu")(guard.menu, py::make_tuple(x, y));
}

void on_proposed_update(py::object self, py::object) {
    py::object text = self.attr("proposed").attr("GetValue")();
    const bool ticked = names::proposes_change(to_u32(text), to_u32(self.attr("name")));
    self.attr("ticked") = ticked;
    self.attr("tick").attr("SetValue")(ticked ? TICK_MARK : NO_TICK);
    self.attr("format_row")();
    py::object left = setting(self, "wxparent1");
    left.attr("Refresh")();
    left.attr("Update")();
}

void unbind(py::handle mod, py::object self) {
    py::object wx = mod.attr("wx");
    try {
        py::object checkbox = self.attr("checkbox");
        if (!is_none(checkbox))
            checkbox.attr("Unbind")(wx.attr("EVT_CHECKBOX"), py::arg("handler") = self.attr("checkbox_click"));
        if (!is_leaf(self)) {
            py::object right_down = wx.attr("EVT_RIGHT_DOWN");
            py::object handler = self.attr("on_right_click");
            checkbox.attr("Unbind")(right_down, py::arg("handler") = handler);
            for (const char* field : {"exp1", "exp2"}) {
                py::object widget = self.attr(field);
                if (!is_none(widget)) widget.attr("Unbind")(right_down, py::arg("handler") = handler);
            }
        }
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_Exception)) throw;
        py::print("Exception: on unbinding checkbox:", py::str(e.value()));
    }
}

const char* const HIDDEN_WHEN_COLLAPSED[] = {"checkbox", "exp1", "exp2", "tick", "proposed"};

// Collapsing and expanding differ only in the flag and in Hide or Show.
void fold(py::object self, bool collapse) {
    if (!is_leaf(self)) {
        self.attr("collapsed") = collapse;
        for (py::handle child : py::list(self.attr("children").attr("values")())) {
            child.attr(collapse ? "collapse" : "expand")();
            for (const char* field : HIDDEN_WHEN_COLLAPSED) child.attr(field).attr(collapse ? "Hide" : "Show")();
        }
    }
    self.attr("format_row")();
}

// ---- the context menu ----

void menu_init(py::handle mod, py::object self, py::object parent, py::object node, py::object sizer1,
               py::object sizer2) {
    py::object wx = mod.attr("wx");
    wx.attr("Menu").attr("__init__")(self);
    self.attr("parent") = parent;
    self.attr("node") = node;
    self.attr("sizer1") = sizer1;
    self.attr("sizer2") = sizer2;
    // The identifiers stay reserved for as long as the menu lives; released
    // at once, the second item could get the first one's identifier back.
    py::list ids;
    const std::pair<const char*, const char*> items[] = {{"Collapse", "on_collapse"}, {"Expand", "on_expand"}};
    for (const auto& [label, handler] : items) {
        py::object id = wx.attr("NewIdRef")();
        ids.append(id);
        py::object item = wx.attr("MenuItem")(self, id, label);
        mod.attr("stylers").attr("format_widget")(item, mod.attr("skins").attr("THEME").attr("menu"));
        self.attr("Append")(item);
        self.attr("Bind")(wx.attr("EVT_MENU"), self.attr(handler), item);
    }
    self.attr("_item_ids") = ids;
}

void menu_act(py::object self, const char* action) {
    self.attr("node").attr(action)();
    for (const char* sizer : {"sizer1", "sizer2"}) {
        py::object s = self.attr(sizer);
        if (!is_none(s)) s.attr("Layout")();
    }
}

py::object make_context_menu(py::object mod) {
    py::dict ns;
    ns["__init__"] = method(
        [mod](py::object self, py::object parent, py::object node, py::object sizer1, py::object sizer2) {
            menu_init(mod, self, parent, node, sizer1, sizer2);
        },
        py::arg("parent"), py::arg("node"), py::arg("sizer1"), py::arg("sizer2"));
    ns["on_collapse"] = method([](py::object self, py::object) { menu_act(self, "collapse"); }, py::arg("event"));
    ns["on_expand"] = method([](py::object self, py::object) { menu_act(self, "expand"); }, py::arg("event"));
    return pyglue::make_class("fileitem", "ContextMenu", "The Collapse and Expand menu of a folder row",
                              py::make_tuple(mod.attr("wx").attr("Menu")), ns);
}

// ---- the row class ----

py::object property(py::cpp_function getter) {
    return py::module_::import("builtins").attr("property")(getter);
}

py::object make_fileitem(py::object mod) {
    py::dict ns;
    for (const char* pane : {"wxparent1", "wxparent2", "sizer1", "sizer2"}) ns[pane] = py::none();
    ns["defined_transform"] = mod.attr("dummy_defined_transform");
    ns["location"] = "";
    ns["__init__"] = method(
        [mod](py::object self, py::object branch, py::object parent, py::object indent, py::object rownmb) {
            row_init(mod, self, branch, parent, indent, rownmb);
        },
        py::arg("branch"), py::arg("parent"), py::arg("indent"), py::arg("rownmb"));
    ns["update_parent"] = method(&update_parent);
    ns["__str__"] = method([mod](py::object self) { return row_text(mod, self); });
    ns["transform"] = method(&transform);
    ns["leaf"] = property(py::cpp_function([](py::object self) { return is_leaf(self); }));
    ns["name"] = property(py::cpp_function([](py::object self) { return self.attr("branch")[py::int_(-1)]; }));
    ns["newname"] = property(py::cpp_function(&newname));
    ns["set_checkbox_state"] = method(&set_checkbox_state, py::arg("state"));
    ns["up_check"] = method(&up_check, py::arg("state"));
    ns["down_check"] = method(&down_check, py::arg("state"));
    ns["propagate_checkbox_state"] = method(&propagate_checkbox_state, py::arg("state"));
    ns["checkbox_click"] = method(
        [mod](py::object self, py::object event) { checkbox_click(mod, self, event); }, py::arg("event"));
    ns["setup_leftside"] = method(
        [mod](py::object self, py::object rownmb) { setup_leftside(mod, self, rownmb); }, py::arg("rownmb"));
    ns["setup_rightside"] = method(
        [mod](py::object self, py::object rownmb) { setup_rightside(mod, self, rownmb); }, py::arg("rownmb"));
    ns["format_row"] = method(&format_row);
    ns["format_row_leftside"] = method([mod](py::object self) { format_row_leftside(mod, self); });
    ns["format_row_rightside"] = method([mod](py::object self) { format_row_rightside(mod, self); });
    ns["set_right_click"] = method([mod](py::object self) { set_right_click(mod, self); });
    ns["on_right_click"] = method(
        [mod](py::object self, py::object event) { on_right_click(mod, self, event); }, py::arg("event"));
    ns["on_proposed_update"] = method(&on_proposed_update, py::arg("event"));
    ns["unbind"] = method([mod](py::object self) { unbind(mod, self); });
    ns["collapse"] = method([](py::object self) { fold(self, true); });
    ns["expand"] = method([](py::object self) { fold(self, false); });
    return pyglue::make_class("fileitem", "Fileitem", "One row of the file tree", py::make_tuple(), ns);
}

}  // namespace

PYBIND11_MODULE(fileitem, m) {
    m.attr("__version__") = "1.0";
    m.attr("os") = py::module_::import("os");
    m.attr("wx") = py::module_::import("wx");
    py::module_ hostkit = py::module_::import("hostkit");
    m.attr("hostkit") = hostkit;
    m.attr("skins") = py::module_::import("skins");
    m.attr("stylers") = py::module_::import("stylers");
    m.attr("debug") = true;
    m.attr("dprint") = hostkit.attr("dprint");
    m.attr("MARK_EXPANDED") = "\u2013";
    m.attr("MARK_COLLAPSED") = "+";
    m.attr("MARK_LEAF") = " ";
    m.attr("nodes") = py::dict();
    m.attr("propnodes") = py::dict();
    m.attr("textwidth") = 0;

    // Methods hold the module whose globals they read; the interpreter
    // clears module dictionaries at exit, which ends that cycle.
    py::object mod = m;
    m.attr("ContextMenu") = make_context_menu(mod);
    m.def("dummy_defined_transform", [](py::object name) { return name; }, py::arg("name"),
          "The identity transform: returns the name unchanged.");
    m.attr("Fileitem") = make_fileitem(mod);
}
