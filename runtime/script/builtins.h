// The global classes and functions, installed once by the engine.
#pragma once

namespace zimo::script {

class Engine;

void installObjectClass(Engine& e);
void installFunctionClass(Engine& e);
void installArrayClass(Engine& e);
void installStringClass(Engine& e);
void installNumberAndBoolean(Engine& e);
void installMath(Engine& e);
void installGlobalFunctions(Engine& e); // isNaN, parseInt, escape, ASSetPropFlags, ...
void installTimers(Engine& e);          // setTimeout, setInterval and their clear functions
void installBroadcaster(Engine& e);     // AsBroadcaster

} // namespace zimo::script
