// Forms of the simulated spooler. Forms belong to the server: a printer
// handle reaches the same list as a server handle. Built-in forms are the
// spooler's own and cannot be changed or deleted.
#include <algorithm>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

ports::FormInfo1 InfoOf(const FormRecord& f) {
    return {f.flags, f.name, f.width, f.length, f.imageable[0], f.imageable[1], f.imageable[2], f.imageable[3]};
}

// A sheet has a size, and its printable area lies on it.
bool ValidSize(const ports::FormInfo1& form) {
    return form.width > 0 && form.length > 0 && form.left >= 0 && form.top >= 0 && form.left <= form.right &&
           form.top <= form.bottom && form.right <= form.width && form.bottom <= form.length;
}

void ApplySize(FormRecord& record, const ports::FormInfo1& form) {
    record.width = form.width;
    record.length = form.length;
    record.imageable[0] = form.left;
    record.imageable[1] = form.top;
    record.imageable[2] = form.right;
    record.imageable[3] = form.bottom;
}

FormRecord* FindForm(std::vector<FormRecord>& forms, std::string_view name) {
    auto found =
        std::find_if(forms.begin(), forms.end(), [name](const FormRecord& f) { return EqualsNoCase(f.name, name); });
    return found == forms.end() ? nullptr : &*found;
}

}  // namespace

std::uint32_t SimSpooler::enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1>& forms) {
    if (std::uint32_t error = begin("Spooler.enumForms")) return error;
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(printer, open)) return error;
    forms.clear();
    for (const FormRecord& f : sim_.world().spooler.forms) forms.push_back(InfoOf(f));
    return err::Success;
}

std::uint32_t SimSpooler::addForm(ports::PrinterHandle printer, const ports::FormInfo1& form) {
    if (std::uint32_t error = begin("Spooler.addForm")) return error;
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(printer, open)) return error;
    if (std::uint32_t error = checkServerAdministration()) return fail(error);
    auto& forms = sim_.world().spooler.forms;
    if (form.name.empty()) return fail(err::InvalidFormName);
    if (FindForm(forms, form.name) != nullptr) return fail(err::FileExists);
    if (!ValidSize(form)) return fail(err::InvalidFormSize);
    FormRecord added;
    added.name = form.name;
    added.flags = form.flags & ~ports::spool::FormBuiltin;  // what a program adds is a user form
    ApplySize(added, form);
    forms.push_back(std::move(added));
    return err::Success;
}

std::uint32_t SimSpooler::getForm(ports::PrinterHandle printer, std::string_view name, ports::FormInfo1& form) {
    if (std::uint32_t error = begin("Spooler.getForm")) return error;
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(printer, open)) return error;
    const FormRecord* found = FindForm(sim_.world().spooler.forms, name);
    if (found == nullptr) return fail(err::InvalidFormName);
    form = InfoOf(*found);
    return err::Success;
}

std::uint32_t SimSpooler::setForm(ports::PrinterHandle printer, std::string_view name, const ports::FormInfo1& form) {
    if (std::uint32_t error = begin("Spooler.setForm")) return error;
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(printer, open)) return error;
    if (std::uint32_t error = checkServerAdministration()) return fail(error);
    FormRecord* found = FindForm(sim_.world().spooler.forms, name);
    if (found == nullptr) return fail(err::InvalidFormName);
    if (found->flags & ports::spool::FormBuiltin) return fail(err::InvalidParameter);
    if (!ValidSize(form)) return fail(err::InvalidFormSize);
    ApplySize(*found, form);
    return err::Success;
}

std::uint32_t SimSpooler::deleteForm(ports::PrinterHandle printer, std::string_view name) {
    if (std::uint32_t error = begin("Spooler.deleteForm")) return error;
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(printer, open)) return error;
    if (std::uint32_t error = checkServerAdministration()) return fail(error);
    auto& forms = sim_.world().spooler.forms;
    FormRecord* found = FindForm(forms, name);
    if (found == nullptr) return fail(err::InvalidFormName);
    if (found->flags & ports::spool::FormBuiltin) return fail(err::AccessDenied);
    forms.erase(forms.begin() + (found - forms.data()));
    return err::Success;
}

}  // namespace kvt::sim
