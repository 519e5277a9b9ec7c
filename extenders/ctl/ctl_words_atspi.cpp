// The window-control words on the Linux desktop, over its accessibility layer (AT-SPI): windows
// and controls are accessible objects, handed to scripts as decimal numbers from a table of the
// objects met so far. Searches go by name, position, a Windows-like class derived from the role,
// and the accessible ID where the program gives one; buttons are pressed by their action; states,
// texts, selections and values go through the object's interfaces. A word that has no counterpart
// here answers its error message. Texts cross to scripts in Windows-1252, as everywhere in the
// system; the desktop speaks UTF-8.
#include "pxctl.h"

#include <atspi/atspi.h>

#include <cmath>
#include <string>
#include <vector>

namespace pxctl {
namespace {

constexpr int kSearchTries = 300;
constexpr DWORD kSearchPause = 25;
constexpr size_t kSearchLimit = 20000;  // objects visited by one pass of a search
constexpr size_t kResultLimit = 32000 * 32;
constexpr UINT kNoCounterpart = 233;

// A reference to an AT-SPI object or interface, given back when it goes.
template <typename T>
class Ref {
public:
    explicit Ref(T* object = nullptr) : object_(object) {}
    Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            if (object_) g_object_unref(object_);
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (object_) g_object_unref(object_);
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_;
};

// Every object a script has been given, by its number (index + 1); the table holds a reference.
std::vector<AtspiAccessible*> handles;

bool started() {
    static const bool ok = atspi_init() >= 0;
    return ok;
}

std::string owned(gchar* text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::string toScript(const std::string& utf8) {
    gsize written = 0;
    gchar* converted = g_convert_with_fallback(utf8.c_str(), static_cast<gssize>(utf8.size()), "WINDOWS-1252", "UTF-8",
                                               "?", nullptr, &written, nullptr);
    return converted ? std::string(owned(converted).c_str(), written) : utf8;
}

std::string fromScript(const char* text) {
    gchar* converted = g_convert(text, -1, "UTF-8", "WINDOWS-1252", nullptr, nullptr, nullptr);
    return converted ? owned(converted) : text;
}

LONG numberOf(AtspiAccessible* object) {
    if (!object) return 0;
    for (size_t i = 0; i < handles.size(); ++i)
        if (handles[i] == object) return static_cast<LONG>(i + 1);
    handles.push_back(static_cast<AtspiAccessible*>(g_object_ref(object)));
    return static_cast<LONG>(handles.size());
}

LONG returnObject(const ExtenderCall& call, AtspiAccessible* object) { return call.returnNumber(numberOf(object)); }

// Argument n as an object of the table, else nullptr.
AtspiAccessible* objectArg(const ExtenderCall& call, int n) {
    const DWORD_PTR number = handleArg(call.arg(n));
    return number >= 1 && number <= handles.size() ? handles[number - 1] : nullptr;
}

std::string nameOf(AtspiAccessible* object) { return owned(atspi_accessible_get_name(object, nullptr)); }

AtspiRole roleOf(AtspiAccessible* object) { return atspi_accessible_get_role(object, nullptr); }

int childCount(AtspiAccessible* object) { return std::max(0, atspi_accessible_get_child_count(object, nullptr)); }

Ref<AtspiAccessible> childAt(AtspiAccessible* object, int index) {
    return Ref<AtspiAccessible>(atspi_accessible_get_child_at_index(object, index, nullptr));
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(object));
    return states && atspi_state_set_contains(states.get(), state);
}

// The Windows class a control of this role would have, so that scripts written for Windows find it.
std::string classOf(AtspiAccessible* object) {
    switch (roleOf(object)) {
    case ATSPI_ROLE_PUSH_BUTTON:
    case ATSPI_ROLE_TOGGLE_BUTTON:
    case ATSPI_ROLE_CHECK_BOX:
    case ATSPI_ROLE_RADIO_BUTTON: return "Button";
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_PASSWORD_TEXT: return "Edit";
    case ATSPI_ROLE_LABEL: return "Static";
    case ATSPI_ROLE_LIST:
    case ATSPI_ROLE_LIST_BOX: return "ListBox";
    case ATSPI_ROLE_COMBO_BOX: return "ComboBox";
    case ATSPI_ROLE_PAGE_TAB_LIST: return "SysTabControl32";
    case ATSPI_ROLE_TABLE: return "SysListView32";
    case ATSPI_ROLE_TREE:
    case ATSPI_ROLE_TREE_TABLE: return "SysTreeView32";
    case ATSPI_ROLE_STATUS_BAR: return "msctls_statusbar32";
    case ATSPI_ROLE_SPIN_BUTTON: return "msctls_updown32";
    case ATSPI_ROLE_SLIDER: return "msctls_trackbar32";
    case ATSPI_ROLE_CALENDAR: return "SysMonthCal32";
    case ATSPI_ROLE_TOOL_BAR: return "ToolbarWindow32";
    case ATSPI_ROLE_TABLE_COLUMN_HEADER: return "SysHeader32";
    case ATSPI_ROLE_DIALOG: return "#32770";
    default: return owned(atspi_accessible_get_role_name(object, nullptr));
    }
}

std::string idOf(AtspiAccessible* object) { return owned(atspi_accessible_get_accessible_id(object, nullptr)); }

enum class SearchMode { text = 1, sequence = 2, id = 3, windowClass = 4 };

// The top-level windows: the children of every application on the desktop.
std::vector<AtspiAccessible*> topLevelWindows(std::vector<Ref<AtspiAccessible>>& keep) {
    std::vector<AtspiAccessible*> windows;
    Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop) return windows;
    for (int a = 0; a < childCount(desktop.get()); ++a) {
        keep.emplace_back(atspi_accessible_get_child_at_index(desktop.get(), a, nullptr));
        AtspiAccessible* application = keep.back().get();
        if (!application) continue;
        for (int w = 0; w < childCount(application); ++w) {
            keep.emplace_back(atspi_accessible_get_child_at_index(application, w, nullptr));
            if (keep.back()) windows.push_back(keep.back().get());
        }
    }
    return windows;
}

bool matches(AtspiAccessible* object, SearchMode mode, const char* wanted) {
    switch (mode) {
    case SearchMode::text: return captionMatches(toScript(nameOf(object)), wanted);
    case SearchMode::id: return isNumberText(wanted) && idOf(object) == std::to_string(parseNumber(wanted));
    case SearchMode::windowClass:
        return lstrcmpiA(classOf(object).c_str(), wanted) == 0 ||
               lstrcmpiA(owned(atspi_accessible_get_role_name(object, nullptr)).c_str(), wanted) == 0;
    default: return false;
    }
}

// Depth first through the object's descendants, in order: controls sit in unnamed containers.
AtspiAccessible* searchBelow(AtspiAccessible* object, SearchMode mode, const char* wanted, size_t& visited) {
    for (int i = 0; i < childCount(object) && visited < kSearchLimit; ++i) {
        Ref<AtspiAccessible> child = childAt(object, i);
        if (!child) continue;
        ++visited;
        if (matches(child.get(), mode, wanted)) {
            numberOf(child.get());
            return child.get();
        }
        if (AtspiAccessible* found = searchBelow(child.get(), mode, wanted, visited)) return found;
    }
    return nullptr;
}

// One pass; the result (already in the table) or nullptr.
AtspiAccessible* searchOnce(AtspiAccessible* parent, SearchMode mode, const char* wanted) {
    if (!parent) {
        std::vector<Ref<AtspiAccessible>> keep;
        const auto windows = topLevelWindows(keep);
        for (size_t i = 0; i < windows.size(); ++i) {
            const bool hit = mode == SearchMode::sequence ? static_cast<long long>(i + 1) == parseNumber(wanted)
                                                          : matches(windows[i], mode, wanted);
            if (hit) return handles[static_cast<size_t>(numberOf(windows[i])) - 1];
        }
        return nullptr;
    }
    if (mode == SearchMode::sequence) {
        const long long n = parseNumber(wanted);
        if (n < 1 || n > childCount(parent)) return nullptr;
        Ref<AtspiAccessible> child = childAt(parent, static_cast<int>(n - 1));
        return child ? handles[static_cast<size_t>(numberOf(child.get())) - 1] : nullptr;
    }
    size_t visited = 0;
    return searchBelow(parent, mode, wanted, visited);
}

// The parent argument: 0 for the desktop, else an object of the table; false when reported.
bool parentArg(const ExtenderCall& call, AtspiAccessible*& parent, LONG& failed) {
    parent = nullptr;
    if (!isNumberText(call.arg(1))) {
        failed = fail(call, 201);
        return false;
    }
    if (call.number(1) == 0) return true;
    parent = objectArg(call, 1);
    if (!parent || hasState(parent, ATSPI_STATE_DEFUNCT)) {
        failed = fail(call, 204);
        return false;
    }
    return true;
}

LONG searchWord(const ExtenderCall& call, SearchMode mode) {
    AtspiAccessible* parent;
    LONG failed = 0;
    if (!parentArg(call, parent, failed)) return failed;
    const char* wanted = call.arg(2);
    if ((mode == SearchMode::text || mode == SearchMode::windowClass) && !*wanted) return fail(call, 203);
    if ((mode == SearchMode::sequence || mode == SearchMode::id) &&
        (!isNumberText(wanted) || (mode == SearchMode::sequence && parseNumber(wanted) < 1)))
        return fail(call, 202);
    for (int attempt = 0; attempt < kSearchTries; ++attempt) {
        if (AtspiAccessible* found = searchOnce(parent, mode, wanted)) return returnObject(call, found);
        if (parent && hasState(parent, ATSPI_STATE_DEFUNCT)) break;
        Sleep(kSearchPause);
    }
    return call.returnNumber(0);
}

LONG cwndexist(const ExtenderCall& call) {
    if (!isNumberText(call.arg(3))) return fail(call, 255);
    const long long mode = call.number(3);
    if (mode < 1 || mode > 4) return fail(call, 255);
    AtspiAccessible* parent;
    LONG failed = 0;
    if (!parentArg(call, parent, failed)) return failed;
    const char* wanted = call.arg(2);
    if ((mode == 2 || mode == 3) && !isNumberText(wanted)) return fail(call, 240);
    if ((mode == 1 || mode == 4) && !*wanted) return fail(call, 254);
    return returnObject(call, searchOnce(parent, static_cast<SearchMode>(mode), wanted));
}

LONG messageWord(const ExtenderCall& call) {
    if (!isNumberText(call.arg(1))) return fail(call, 211);
    if (!isNumberText(call.arg(2)) || call.number(2) < 0) return fail(call, 212);
    if (!isNumberText(call.arg(3))) return fail(call, 213);
    if (!isNumberText(call.arg(4))) return fail(call, 214);
    if (!objectArg(call, 1)) return fail(call, 215);
    // Window messages have no counterpart among accessible objects.
    return fail(call, kNoCounterpart);
}

LONG cwndinfo(const ExtenderCall& call) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    Ref<AtspiAccessible> parent(atspi_accessible_get_parent(object, nullptr));
    const int index = atspi_accessible_get_index_in_parent(object, nullptr);
    const int siblings = parent ? childCount(parent.get()) : 0;
    auto sibling = [&](int at) -> LONG {
        if (!parent || at < 0 || at >= siblings) return call.returnNumber(0);
        Ref<AtspiAccessible> other = childAt(parent.get(), at);
        return returnObject(call, other.get());
    };
    switch (call.number(2)) {
    case 0: return call.returnText(toScript(nameOf(object)));
    case 1: return call.returnNumber(static_cast<LONG>(parseNumber(idOf(object).c_str())));
    case 2: return call.returnText(classOf(object));
    case 3: return returnObject(call, parent.get());
    case 4: return sibling(0);
    case 5: return sibling(index - 1);
    case 6: return sibling(index + 1);
    case 7: return sibling(siblings - 1);
    case 8: {
        Ref<AtspiAccessible> child = childAt(object, 0);
        return returnObject(call, childCount(object) ? child.get() : nullptr);
    }
    default: return call.returnNumber(0);
    }
}

// Runs the object's action named `wanted` (or its first when none is named); false when it has none.
bool act(AtspiAccessible* object, const char* wanted = nullptr) {
    Ref<AtspiAction> action(atspi_accessible_get_action_iface(object));
    if (!action) return false;
    const int count = atspi_action_get_n_actions(action.get(), nullptr);
    for (int i = 0; i < count; ++i) {
        if (wanted && owned(atspi_action_get_action_name(action.get(), i, nullptr)) != wanted) continue;
        return atspi_action_do_action(action.get(), i, nullptr);
    }
    return false;
}

// Waits until the program has carried out what an action started (its state has changed).
template <typename Done>
void settle(Done done) {
    for (int i = 0; i < 40 && !done(); ++i) Sleep(25);
}

LONG checkStateOf(AtspiAccessible* object) {
    if (hasState(object, ATSPI_STATE_INDETERMINATE)) return 2;
    return hasState(object, ATSPI_STATE_CHECKED) ? 1 : 0;
}

// A check box or radio button pressed by its action; a click is done once the program has
// changed its state.
class ActionControl : public StatefulControl {
public:
    explicit ActionControl(AtspiAccessible* object) : object_(object) {}
    LONG checkState() override { return checkStateOf(object_); }
    bool click() override {
        const LONG was = checkStateOf(object_);
        if (!act(object_)) return false;
        settle([&] { return checkStateOf(object_) != was; });
        return true;
    }

private:
    AtspiAccessible* object_;
};

LONG stateWord(const ExtenderCall& call, bool radio) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    ActionControl button(object);
    return radio ? radioButtonWord(call, button) : checkBoxWord(call, button);
}

LONG cenablestate(const ExtenderCall& call) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    if (!isNumberText(call.arg(2))) return fail(call, 221);
    const long long wanted = call.number(2);
    if (wanted == -1) return call.returnNumber(hasState(object, ATSPI_STATE_ENABLED) ? 1 : 0);
    if (wanted != 0 && wanted != 1) return fail(call, 221);
    // Only the program itself can enable or disable its controls.
    return fail(call, kNoCounterpart);
}

std::string textOf(AtspiAccessible* object) {
    Ref<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) return "";
    return owned(atspi_text_get_text(text.get(), 0, -1, nullptr));
}

LONG cgetedittext(const ExtenderCall& call) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    Ref<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) return fail(call, 223);
    return call.returnText(toScript(textOf(object)));
}

LONG csetedittext(const ExtenderCall& call) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(object));
    if (!editable) return fail(call, 223);
    const std::string wanted = fromScript(call.arg(2));
    const bool done = atspi_editable_text_set_text_contents(editable.get(), wanted.c_str(), nullptr);
    return call.returnNumber(done ? 1 : 0);
}

LONG clickWord(const ExtenderCall& call) {
    AtspiAccessible* button = objectArg(call, 1);
    if (!button) return fail(call, 201);
    return act(button) ? call.returnNumber(1) : fail(call, 223);
}

// The text an item shows: its name, its text, or that of its first descendant that has one.
std::string itemText(AtspiAccessible* item, int depth = 0) {
    std::string text = nameOf(item);
    if (text.empty()) text = textOf(item);
    for (int i = 0; text.empty() && depth < 4 && i < childCount(item); ++i) {
        Ref<AtspiAccessible> child = childAt(item, i);
        if (child) text = itemText(child.get(), depth + 1);
    }
    return text;
}

// The object holding the items of a list, combo box, tab list or toolbar: a combo box's sit in its menu.
Ref<AtspiAccessible> itemsOf(AtspiAccessible* control) {
    if (roleOf(control) == ATSPI_ROLE_COMBO_BOX) {
        for (int i = 0; i < childCount(control); ++i) {
            Ref<AtspiAccessible> child = childAt(control, i);
            if (child && roleOf(child.get()) == ATSPI_ROLE_MENU) return child;
        }
    }
    return Ref<AtspiAccessible>(static_cast<AtspiAccessible*>(g_object_ref(control)));
}

// Item texts joined by tabs; "*EMPTY*" for none; false when the result outgrows its bound.
bool joinItems(AtspiAccessible* items, std::string& joined, bool selectedOnly) {
    Ref<AtspiSelection> selection(selectedOnly ? atspi_accessible_get_selection_iface(items) : nullptr);
    bool any = false;
    for (int i = 0; i < childCount(items); ++i) {
        if (selection && !atspi_selection_is_child_selected(selection.get(), i, nullptr)) continue;
        Ref<AtspiAccessible> item = childAt(items, i);
        if (!item) continue;
        if (any) joined += '\t';
        joined += toScript(itemText(item.get()));
        any = true;
        if (joined.size() > kResultLimit) return false;
    }
    if (!any) joined = "*EMPTY*";
    return true;
}

bool isKind(AtspiAccessible* object, const char* kind) { return lstrcmpiA(classOf(object).c_str(), kind) == 0; }

LONG getListText(const ExtenderCall& call, const char* kind, bool selectedOnly) {
    AtspiAccessible* control = objectArg(call, 1);
    if (!control) return fail(call, 201);
    if (!isKind(control, kind)) return fail(call, 223);
    std::string joined;
    if (!joinItems(itemsOf(control).get(), joined, selectedOnly)) return fail(call, 234);
    return call.returnText(joined);
}

// Selects item n (from 1) through the control's selection; 1 when it is selected afterwards.
LONG selectItem(const ExtenderCall& call, const char* kind, long long highest, UINT badNumber) {
    AtspiAccessible* control = objectArg(call, 1);
    if (!control) return fail(call, 201);
    if (!isKind(control, kind)) return fail(call, 223);
    const long long item = call.number(2);
    if (!isNumberText(call.arg(2)) || item < 1 || item > highest) return fail(call, badNumber);
    Ref<AtspiSelection> selection(atspi_accessible_get_selection_iface(control));
    if (!selection) return fail(call, 243);
    const int index = static_cast<int>(item - 1);
    if (!atspi_selection_select_child(selection.get(), index, nullptr)) return call.returnNumber(0);
    settle([&] { return atspi_selection_is_child_selected(selection.get(), index, nullptr); });
    return call.returnNumber(atspi_selection_is_child_selected(selection.get(), index, nullptr) ? 1 : 0);
}

LONG csetlbitemex(const ExtenderCall& call) {
    AtspiAccessible* list = objectArg(call, 1);
    if (!list) return fail(call, 201);
    if (!isKind(list, "ListBox")) return fail(call, 223);
    std::vector<long long> items;
    if (!numberList(call.arg(2), items)) return fail(call, 245);
    for (long long item : items)
        if (item < 1 || item > childCount(list)) return fail(call, 246);
    Ref<AtspiSelection> selection(atspi_accessible_get_selection_iface(list));
    if (!selection) return fail(call, 243);
    // Not every toolkit marks a list that takes several items: one that let go of the first item
    // when it took the next takes one only.
    LONG selected = 0;
    for (long long item : items) {
        const int index = static_cast<int>(item - 1);
        if (!atspi_selection_select_child(selection.get(), index, nullptr)) continue;
        settle([&] { return atspi_selection_is_child_selected(selection.get(), index, nullptr); });
        ++selected;
    }
    if (selected > 1 && !hasState(list, ATSPI_STATE_MULTISELECTABLE) &&
        !atspi_selection_is_child_selected(selection.get(), static_cast<int>(items.front() - 1), nullptr))
        return fail(call, 247);
    return call.returnNumber(selected);
}

LONG cclearlball(const ExtenderCall& call) {
    AtspiAccessible* list = objectArg(call, 1);
    if (!list) return fail(call, 201);
    if (!isKind(list, "ListBox")) return fail(call, 223);
    Ref<AtspiSelection> selection(atspi_accessible_get_selection_iface(list));
    if (!selection) return fail(call, 243);
    atspi_selection_clear_selection(selection.get(), nullptr);
    settle([&] { return atspi_selection_get_n_selected_children(selection.get(), nullptr) == 0; });
    return call.returnNumber(1);
}

// A table (list view, tree): its interface, or the failure reported.
Ref<AtspiTable> tableOf(const ExtenderCall& call, const char* kind, AtspiAccessible*& control, LONG& failed) {
    control = objectArg(call, 1);
    const bool fits = control && isKind(control, kind);
    Ref<AtspiTable> table(fits ? atspi_accessible_get_table_iface(control) : nullptr);
    if (!table) failed = fail(call, control ? 223 : 201);
    return table;
}

std::string cellText(AtspiTable* table, int row, int column) {
    Ref<AtspiAccessible> cell(atspi_table_get_accessible_at(table, row, column, nullptr));
    return cell ? itemText(cell.get()) : "";
}

LONG listViewColumn(const ExtenderCall& call, int column) {
    AtspiAccessible* control;
    LONG failed = 0;
    Ref<AtspiTable> table = tableOf(call, "SysListView32", control, failed);
    if (!table) return failed;
    const int rows = atspi_table_get_n_rows(table.get(), nullptr);
    if (column >= atspi_table_get_n_columns(table.get(), nullptr)) return fail(call, 231);
    std::string joined;
    for (int row = 0; row < rows; ++row) {
        if (row) joined += '\t';
        joined += toScript(cellText(table.get(), row, column));
        if (joined.size() > kResultLimit) return fail(call, 234);
    }
    return call.returnText(rows > 0 ? joined : "*EMPTY*");
}

LONG cgetlvcoltext(const ExtenderCall& call) {
    int column;
    LONG failed = 0;
    return columnArg(call, column, failed) ? listViewColumn(call, column) : failed;
}

LONG listViewSelect(const ExtenderCall& call, bool select) {
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    AtspiAccessible* control;
    LONG failed = 0;
    Ref<AtspiTable> table = tableOf(call, "SysListView32", control, failed);
    if (!table) return failed;
    const long long item = call.number(2);
    const int rows = atspi_table_get_n_rows(table.get(), nullptr);
    if (item < (select ? 1 : 0) || item > rows) return fail(call, 222);
    if (!select && item == 0) {
        for (int row = 0; row < rows; ++row) atspi_table_remove_row_selection(table.get(), row, nullptr);
        return call.returnNumber(1);
    }
    const int row = static_cast<int>(item - 1);
    const bool done = select ? atspi_table_add_row_selection(table.get(), row, nullptr)
                             : atspi_table_remove_row_selection(table.get(), row, nullptr);
    settle([&] { return atspi_table_is_row_selected(table.get(), row, nullptr) == select; });
    return call.returnNumber(done ? 1 : 0);
}

// The parent node a tree cell names through its "node child of" relation, or none.
Ref<AtspiAccessible> parentNode(AtspiAccessible* cell) {
    GArray* relations = atspi_accessible_get_relation_set(cell, nullptr);
    Ref<AtspiAccessible> parent;
    for (guint i = 0; relations && i < relations->len; ++i) {
        AtspiRelation* relation = g_array_index(relations, AtspiRelation*, i);
        if (!parent && atspi_relation_get_relation_type(relation) == ATSPI_RELATION_NODE_CHILD_OF &&
            atspi_relation_get_n_targets(relation) > 0)
            parent = Ref<AtspiAccessible>(atspi_relation_get_target(relation, 0));
        g_object_unref(relation);
    }
    if (relations) g_array_free(relations, TRUE);
    return parent;
}

// How deep a tree cell sits: 0 for a top-level node.
int cellLevel(AtspiAccessible* cell) {
    int level = 0;
    Ref<AtspiAccessible> at = parentNode(cell);
    while (at && level < 32) {
        const AtspiRole role = roleOf(at.get());
        if (role == ATSPI_ROLE_TREE_TABLE || role == ATSPI_ROLE_TABLE || role == ATSPI_ROLE_TREE) break;
        ++level;
        at = parentNode(at.get());
    }
    return level;
}

// The row a tab-separated path of node names leads to, or -1. A tree table's rows come in
// display order; a node's children follow it one level deeper once it is expanded, so each
// level is opened with the node's "expand or contract" action when its children are not shown.
int walkTree(AtspiTable* table, const std::string& path) {
    int from = 0, depth = 0;
    size_t start = 0;
    for (;;) {
        const size_t tab = path.find('\t', start);
        const std::string name = path.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        int found = -1;
        const int rows = atspi_table_get_n_rows(table, nullptr);
        for (int row = from; row < rows; ++row) {
            Ref<AtspiAccessible> cell(atspi_table_get_accessible_at(table, row, 0, nullptr));
            if (!cell) continue;
            const int level = cellLevel(cell.get());
            if (level < depth) break;
            if (level == depth && toScript(nameOf(cell.get())) == name) {
                found = row;
                break;
            }
        }
        if (found < 0 || tab == std::string::npos) return found;
        Ref<AtspiAccessible> cell(atspi_table_get_accessible_at(table, found, 0, nullptr));
        if (cell && hasState(cell.get(), ATSPI_STATE_EXPANDABLE) && !hasState(cell.get(), ATSPI_STATE_EXPANDED)) {
            act(cell.get(), "expand or contract");
            settle([&] { return hasState(cell.get(), ATSPI_STATE_EXPANDED); });
        }
        from = found + 1;
        ++depth;
        start = tab + 1;
    }
}

LONG treeWord(const ExtenderCall& call, bool select) {
    const std::string path = call.arg(2);
    if (!validPath(path)) return fail(call, 250);
    AtspiAccessible* control;
    LONG failed = 0;
    Ref<AtspiTable> table = tableOf(call, "SysTreeView32", control, failed);
    if (!table) return failed;
    const int row = walkTree(table.get(), path);
    if (row < 0) return call.returnNumber(0);
    const bool done = select ? atspi_table_add_row_selection(table.get(), row, nullptr)
                             : atspi_table_remove_row_selection(table.get(), row, nullptr);
    settle([&] { return atspi_table_is_row_selected(table.get(), row, nullptr) == select; });
    return call.returnNumber(done ? 1 : 0);
}

// Item n (from 1) of a list or table activated, as by a double click.
LONG cdblclickitem(const ExtenderCall& call) {
    AtspiAccessible* control = objectArg(call, 1);
    if (!control) return fail(call, 201);
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    const long long item = call.number(2);
    Ref<AtspiAccessible> target;
    Ref<AtspiTable> table(atspi_accessible_get_table_iface(control));
    if (table) {
        if (item < 1 || item > atspi_table_get_n_rows(table.get(), nullptr)) return fail(call, 222);
        target = Ref<AtspiAccessible>(atspi_table_get_accessible_at(table.get(), static_cast<int>(item - 1), 0, nullptr));
    } else if (isKind(control, "ListBox")) {
        if (item < 1 || item > childCount(control)) return fail(call, 222);
        target = childAt(control, static_cast<int>(item - 1));
    }
    if (!target || !act(target.get(), "activate")) return fail(call, 230);
    return call.returnNumber(1);
}

// The texts a status bar shows, joined by tabs.
LONG cgetsbtext(const ExtenderCall& call) {
    AtspiAccessible* bar = objectArg(call, 1);
    if (!bar) return fail(call, 201);
    if (!isKind(bar, "msctls_statusbar32")) return fail(call, 223);
    // A toolkit may name the bar after its message; else its parts speak for themselves.
    std::string joined = toScript(nameOf(bar));
    if (joined.empty() && !joinItems(bar, joined, false)) return fail(call, 234);
    return call.returnText(joined == "*EMPTY*" ? "" : joined);
}

// The column headers of a table.
LONG cgethrtext(const ExtenderCall& call) {
    AtspiAccessible* control = objectArg(call, 1);
    if (!control) return fail(call, 201);
    Ref<AtspiTable> table(atspi_accessible_get_table_iface(control));
    if (!table) return fail(call, 223);
    const int columns = atspi_table_get_n_columns(table.get(), nullptr);
    std::string joined;
    for (int column = 0; column < columns; ++column) {
        Ref<AtspiAccessible> header(atspi_table_get_column_header(table.get(), column, nullptr));
        if (column) joined += '\t';
        if (header) joined += toScript(itemText(header.get()));
    }
    return call.returnText(columns > 0 ? joined : "*EMPTY*");
}

// Up-down (spin button) and trackbar (slider) words over the value interface: position, minimum,
// maximum, and setting the position within them (returning the one before).
LONG valueWord(const ExtenderCall& call, const char* kind, int what) {
    AtspiAccessible* control = objectArg(call, 1);
    if (!control) return fail(call, 201);
    if (!isKind(control, kind)) return fail(call, 223);
    Ref<AtspiValue> value(atspi_accessible_get_value_iface(control));
    if (!value) return fail(call, 223);
    const LONG current = std::lround(atspi_value_get_current_value(value.get(), nullptr));
    const LONG low = std::lround(atspi_value_get_minimum_value(value.get(), nullptr));
    const LONG high = std::lround(atspi_value_get_maximum_value(value.get(), nullptr));
    switch (what) {
    case 0: return call.returnNumber(current);
    case 1: return call.returnNumber(low);
    case 2: return call.returnNumber(high);
    default: break;
    }
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    const long long wanted = call.number(2);
    if (wanted < low || wanted > high) return fail(call, 231);
    atspi_value_set_current_value(value.get(), static_cast<double>(wanted), nullptr);
    settle([&] { return std::lround(atspi_value_get_current_value(value.get(), nullptr)) == wanted; });
    return call.returnNumber(current);
}

// A toolbar's buttons: the pressable objects below it, in order.
void toolbarButtons(AtspiAccessible* object, std::vector<Ref<AtspiAccessible>>& buttons, int depth = 0) {
    for (int i = 0; i < childCount(object) && depth < 4; ++i) {
        Ref<AtspiAccessible> child = childAt(object, i);
        if (!child) continue;
        const AtspiRole role = roleOf(child.get());
        if (role == ATSPI_ROLE_PUSH_BUTTON || role == ATSPI_ROLE_TOGGLE_BUTTON)
            buttons.push_back(std::move(child));
        else if (role != ATSPI_ROLE_SEPARATOR)
            toolbarButtons(child.get(), buttons, depth + 1);
    }
}

LONG toolbarWord(const ExtenderCall& call, bool click) {
    AtspiAccessible* bar = objectArg(call, 1);
    if (!bar) return fail(call, 201);
    if (!isKind(bar, "ToolbarWindow32")) return fail(call, 223);
    std::vector<Ref<AtspiAccessible>> buttons;
    toolbarButtons(bar, buttons);
    if (!click) {
        std::string joined;
        for (size_t i = 0; i < buttons.size(); ++i) joined += (i ? "\t" : "") + toScript(itemText(buttons[i].get()));
        return call.returnText(buttons.empty() ? "*EMPTY*" : joined);
    }
    const char* wanted = call.arg(2);
    const bool byNumber = isNumberText(wanted);
    for (size_t i = 0; i < buttons.size(); ++i) {
        AtspiAccessible* button = buttons[i].get();
        if (byNumber ? static_cast<long long>(i + 1) != parseNumber(wanted)
                     : !captionMatches(toScript(itemText(button)), wanted))
            continue;
        if (!hasState(button, ATSPI_STATE_ENABLED) || !hasState(button, ATSPI_STATE_VISIBLE)) return fail(call, 238);
        return act(button) ? call.returnNumber(1) : fail(call, 238);
    }
    return fail(call, 237);
}

LONG csetfocus(const ExtenderCall& call) {
    AtspiAccessible* object = objectArg(call, 1);
    if (!object) return fail(call, 201);
    Ref<AtspiComponent> component(atspi_accessible_get_component_iface(object));
    if (!component || !atspi_component_grab_focus(component.get(), nullptr)) return fail(call, 253);
    settle([&] { return hasState(object, ATSPI_STATE_FOCUSED); });
    return call.returnNumber(hasState(object, ATSPI_STATE_FOCUSED) ? 1 : 0);
}

// Words whose control or message has no counterpart on the desktop: the window argument is
// checked as on Windows, then the word says it is not supported here.
LONG withoutCounterpart(const ExtenderCall& call, UINT message) {
    if (!objectArg(call, 1)) return fail(call, 201);
    return fail(call, message);
}

}  // namespace

LONG runWord(DWORD id, const ExtenderCall& call) {
    if (!started()) return fail(call, 241);
    switch (id) {
    case 2: return searchWord(call, SearchMode::text);
    case 3: return searchWord(call, SearchMode::sequence);
    case 4: return searchWord(call, SearchMode::id);
    case 5:
    case 19: return messageWord(call);
    case 6: return cwndinfo(call);
    case 7: return stateWord(call, false);
    case 8: return stateWord(call, true);
    case 9: return cenablestate(call);
    case 10: return cgetedittext(call);
    case 11: return csetedittext(call);
    case 12:
    case 20: return clickWord(call);
    case 13: return getListText(call, "ListBox", false);
    case 14: return getListText(call, "ComboBox", false);
    case 15: return selectItem(call, "ListBox", 10002, 222);
    case 16: return selectItem(call, "ComboBox", 10002, 222);
    case 17: return selectItem(call, "SysTabControl32", 101, 222);
    case 18: return searchWord(call, SearchMode::windowClass);
    case 21:
    case 22: return withoutCounterpart(call, 227);
    case 23: return listViewColumn(call, 0);
    case 24: return listViewSelect(call, true);
    case 25: return listViewSelect(call, false);
    case 26: return treeWord(call, true);
    case 27: return treeWord(call, false);
    case 28: return cdblclickitem(call);
    case 29: return cgetsbtext(call);
    case 30: return cgethrtext(call);
    case 31: return valueWord(call, "msctls_updown32", 3);
    case 42: return valueWord(call, "msctls_updown32", 0);
    case 43: return valueWord(call, "msctls_updown32", 1);
    case 44: return valueWord(call, "msctls_updown32", 2);
    case 38: return valueWord(call, "msctls_trackbar32", 3);
    case 39: return valueWord(call, "msctls_trackbar32", 0);
    case 40: return valueWord(call, "msctls_trackbar32", 1);
    case 41: return valueWord(call, "msctls_trackbar32", 2);
    case 32:
    case 33:
    case 34:
    case 35:
    case 45: return withoutCounterpart(call, kNoCounterpart);
    case 36: return toolbarWord(call, false);
    case 37: return toolbarWord(call, true);
    case 46: return csetlbitemex(call);
    case 47: return cclearlball(call);
    case 48: return getListText(call, "ListBox", true);
    case 49: return cgetlvcoltext(call);
    case 50: return csetfocus(call);
    case 51: return cwndexist(call);
    default: return fail(call, 901);
    }
}

// The table's references go with the unload call.
void releaseWords() {
    for (AtspiAccessible* object : handles) g_object_unref(object);
    handles.clear();
}

}  // namespace pxctl
