// The interpreter's side of the host: library calls, object members, Print
// and MsgBox.
#include "components/basic/basic_machine.h"

#include "components/basic/basic_convert.h"

namespace kestrune {

namespace {

constexpr std::size_t kPrintZone = 14;

}  // namespace

void BasicMachine::invoke(int id, std::uint16_t resultClass, std::uint32_t object, BasicValue* args, int argc,
                          BasicValue& result) {
    BasicHostCall call(*context_, id, object, std::span<BasicValue>(args, static_cast<std::size_t>(argc)), resultClass);
    host_.call(call);
    if (call.raisedNumber() != 0) {
        std::string text = call.raisedText();
        if (text.empty()) text = std::string(basicErrorText(call.raisedNumber()));
        throwBasicError(call.raisedNumber(), std::move(text));
    }
    result = call.result();
    if (result.type() == BasicType::String) checkLength(result.rawString().size());
}

void BasicMachine::callHost(int entry, BasicValue* args, int argc, BasicValue& result) {
    const BasicLibrary* library = module_->library;
    const BasicLibraryEntry& e = library->entries()[static_cast<std::size_t>(entry)];
    const std::uint16_t resultClass =
        e.kind == BasicEntryKind::Class ? library->classIndex(e.name) : library->classIndex(e.className);
    invoke(e.id, resultClass, 0, args, argc, result);
}

namespace {

const BasicValue& objectOf(const BasicValue* v) {
    if (v->type() != BasicType::Object) throwBasicError(kBasicObjectRequired);
    if (v->objectHandle() == 0) throwBasicError(kBasicObjectNotSet);
    return *v;
}

}  // namespace

const BasicLibraryEntry& BasicMachine::member(const BasicValue& obj, int nameIndex, int argc) const {
    const std::string& name = module_->strings[static_cast<std::size_t>(nameIndex)];
    const BasicLibrary* library = module_->library;
    const int entry = library ? library->findMember(obj.objectClass(), name, argc) : -1;
    if (entry == -1) throwBasicError(kBasicNoSuchMember);
    if (entry == -2) throwBasicError(kBasicWrongArgumentCount);
    return library->entries()[static_cast<std::size_t>(entry)];
}

void BasicMachine::readProperty(const BasicLibraryEntry& e, std::uint32_t handle, BasicValue& result) {
    if (e.readId == kBasicNoId) throwBasicError(kBasicWriteOnlyProperty);
    invoke(e.readId, 0, handle, nullptr, 0, result);
    if (e.propertyType != BasicType::Variant) result = basicCoerce(result, e.propertyType);
}

void BasicMachine::callMember(int nameIndex, BasicValue* object, int argc, bool wantResult, BasicValue& result) {
    const BasicValue& obj = objectOf(object);
    const BasicLibraryEntry& e = member(obj, nameIndex, argc);
    if (e.kind == BasicEntryKind::Property) {
        // "t.Value" used as a call reads it; "t.Value 5" writes it.
        if (argc == 0) return readProperty(e, obj.objectHandle(), result);
        if (argc != 1 || wantResult) throwBasicError(kBasicWrongArgumentCount);
        return setProperty(nameIndex, object);
    }
    invoke(e.id, module_->library->classIndex(e.className), obj.objectHandle(), object + 1, argc, result);
}

void BasicMachine::getProperty(int nameIndex, BasicValue& object) {
    const BasicValue obj = objectOf(&object);
    const BasicLibraryEntry& e = member(obj, nameIndex, 0);
    BasicValue result;
    if (e.kind == BasicEntryKind::Property) readProperty(e, obj.objectHandle(), result);
    else invoke(e.id, module_->library->classIndex(e.className), obj.objectHandle(), nullptr, 0, result);
    object = std::move(result);
}

void BasicMachine::setProperty(int nameIndex, BasicValue* object) {
    const BasicValue& obj = objectOf(object);
    const BasicLibraryEntry& e = member(obj, nameIndex, 1);
    if (e.kind != BasicEntryKind::Property) throwBasicError(kBasicWrongArgumentCount);
    if (e.writeId == kBasicNoId) throwBasicError(kBasicReadOnlyProperty);
    if (e.propertyType != BasicType::Variant) object[1] = basicCoerce(object[1], e.propertyType);
    BasicValue ignored;
    invoke(e.writeId, 0, obj.objectHandle(), object + 1, 1, ignored);
}

void BasicMachine::printItem(const BasicValue& v, int separator) {
    std::string text = basicToString(v);
    // Numbers print with a place for the sign and a space after.
    if (v.isNumeric() && v.type() != BasicType::Empty && v.type() != BasicType::Boolean) {
        if (text.empty() || text[0] != '-') text.insert(text.begin(), ' ');
        text.push_back(' ');
    }
    checkLength(printLine_.size() + text.size());
    printLine_ += text;
    if (separator == 2) printLine_.append(kPrintZone - printLine_.size() % kPrintZone, ' ');
}

void BasicMachine::printEnd(bool newline) {
    if (!newline) return;
    host_.print(printLine_);
    printLine_.clear();
}

int BasicMachine::messageBox(BasicValue* args, int argc) {
    const std::string prompt = basicToString(args[0]);
    const int buttons = argc >= 2 && !args[1].isMissing() ? basicToLong(args[1]) : 0;
    const std::string title = argc >= 3 && !args[2].isMissing() ? basicToString(args[2]) : std::string();
    return host_.messageBox(prompt, buttons, title);
}

}  // namespace kestrune
