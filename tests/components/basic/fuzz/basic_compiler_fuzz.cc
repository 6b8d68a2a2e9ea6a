// libFuzzer target for the script compiler: any text must compile or be
// refused with an error number and a line, never crash or hang; what
// compiles is then run (its Main, or else its first procedure) under a small
// step budget and small bounds, so that the interpreter sees the compiler's
// output for odd programs too. A tiny host library is registered, so that
// object members and alternate forms are compiled and dispatched.
//
//   basic_compiler_fuzz -dict=basic.dict -max_len=4096 corpus/

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "components/basic/basic_engine.h"
#include "components/basic/basic_errors.h"

namespace {

using namespace kestrune;

const BasicLibrary& library() {
    static const BasicLibrary lib = [] {
        BasicLibrary made("Fuzz");
        BasicLibraryEntry cls;
        cls.kind = BasicEntryKind::Class;
        cls.name = "Thing";
        cls.id = 1;
        made.add(cls);
        BasicLibraryEntry get;
        get.kind = BasicEntryKind::Function;
        get.name = "GetThing";
        get.id = 2;
        get.className = "Thing";
        get.minArgs = 0;
        get.maxArgs = 1;
        get.result = BasicType::Object;
        get.companion = "Thingy";
        made.add(get);
        BasicLibraryEntry method;
        method.kind = BasicEntryKind::Method;
        method.name = "Poke";
        method.id = 3;
        method.className = "Thing";
        method.maxArgs = 2;
        made.add(method);
        BasicLibraryEntry prop;
        prop.kind = BasicEntryKind::Property;
        prop.name = "Value";
        prop.className = "Thing";
        prop.readId = 4;
        prop.writeId = 5;
        made.add(prop);
        return made;
    }();
    return lib;
}

class FuzzHost : public BasicHost {
  public:
    void call(BasicHostCall& call) override {
        switch (call.id()) {
            case 1:
            case 2: call.setObjectResult(7); break;
            case 3:
                if (call.argCount() > 0 && call.argLong(0) < 0) call.raise(806);
                break;
            case 4: call.setResult(BasicValue::longValue(3)); break;
            default: break;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const BasicCompileResult compiled = compileBasic(text, &library());
    if (!compiled.status.ok()) {
        if (compiled.errorNumber == 0 || compiled.line < 1) std::abort();  // an error must say what and where
        return 0;
    }
    FuzzHost host;
    BasicLimits limits;
    limits.stepBudget = 2000;
    limits.maxCallDepth = 64;
    limits.maxArrayElements = 1 << 14;
    limits.maxStringLength = 1 << 14;
    BasicInstance script(compiled.module, host, limits);
    int entry = script.findEntry("Main");
    if (entry < 0) entry = 1;
    script.run(entry);
    return 0;
}
