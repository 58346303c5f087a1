#pragma once
// Removes everything setup may write to the registry (associations of every archive extension,
// the ProgIDs, both extension classes and their handler keys, the application path in both
// views, capabilities, the installed program entry and the user's setup choices), so a test on
// the real registry of the Wine session starts clean and leaves it as it found it.
namespace kub::test {

void remove_setup_registry_traces();

}  // namespace kub::test
