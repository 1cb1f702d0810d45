// Where the test bed's MSXML differs from Windows' in a way the print-ticket
// provider meets, the host restores the documented behaviour for the whole
// process (and changes nothing where MSXML already behaves).
#pragma once

namespace testbed {

// Windows' MSXML finds a namespace declaration by name in an element's
// attributes (getNamedItem(L"xmlns:p")); Wine's MSXML before its DOM rewrite
// lists the declarations but answers S_FALSE for that name. Call with COM
// started; false only when the probe itself could not run.
bool FindDeclarationsByName();

}  // namespace testbed
