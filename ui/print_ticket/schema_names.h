// The namespaces of the Print Schema documents the provider reads and writes.
// Prefixes are only what this plug-in prefers when it must declare one:
// documents are read by namespace URI, since applications may re-prefix.
#pragma once

inline constexpr wchar_t kPsfUri[] = L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr wchar_t kPskUri[] = L"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr wchar_t kPskV11Uri[] =
    L"http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11";
inline constexpr wchar_t kPrivateUri[] = L"urn:psplugins:printschema:2026";
inline constexpr wchar_t kXsiUri[] = L"http://www.w3.org/2001/XMLSchema-instance";
inline constexpr wchar_t kXsdUri[] = L"http://www.w3.org/2001/XMLSchema";
inline constexpr wchar_t kXmlnsUri[] = L"http://www.w3.org/2000/xmlns/";

// The namespaces a ticket entry can name, in the order of the prefix table.
enum class Ns { Psf, Psk, PskV11, Private, Xsi, Xsd, Count };
