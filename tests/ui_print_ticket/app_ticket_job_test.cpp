// A ticket an application edits (PIN printing on, PIN 4321) becomes a devmode
// whose job, printed through the rendering plug-in, holds the job under that PIN.
#include <cstring>

#include "tests/host/job_driver.h"
#include "tests/host/render_host.h"
#include "tests/ui_print_ticket/ticket_fixture.h"

using namespace tickettest;

namespace {

constexpr wchar_t kPsf[] = L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

// The edit an application makes through the DOM: the passcode option, and
// the passcode's ParameterInit, added when the ticket has none.
bool AskForPin(IXMLDOMDocument2 *ticket, const wchar_t *pin) {
    if (!testbed::SetNodeText(ticket, L"/psf:PrintTicket/psf:Feature[@name='pskv11:JobPasscode']/psf:Option/@name",
                              L"psk:On"))
        return false;
    const wchar_t *init = L"/psf:PrintTicket/psf:ParameterInit[@name='pskv11:JobPasscodeString']/psf:Value";
    if (testbed::CountNodes(ticket, init) > 0) return testbed::SetNodeText(ticket, init, pin);

    com_ptr<IXMLDOMElement> root, parameter, value;
    if (ticket->get_documentElement(root.put()) != S_OK) return false;
    auto create = [&](DOMNodeType kind, const wchar_t *name, const wchar_t *uri, com_ptr<IXMLDOMNode> *node) {
        VARIANT type;
        VariantInit(&type);
        type.vt = VT_I4;
        type.lVal = kind;
        unique_bstr qname(SysAllocString(name)), ns(SysAllocString(uri));
        return SUCCEEDED(ticket->createNode(type, qname.get(), ns.get(), node->put()));
    };
    auto element = [&](const wchar_t *name, com_ptr<IXMLDOMElement> *out) {
        com_ptr<IXMLDOMNode> node;
        return create(NODE_ELEMENT, name, kPsf, &node) &&
               SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, out->put_void()));
    };
    auto attribute = [](IXMLDOMElement *e, const wchar_t *name, const wchar_t *text) {
        unique_variant v;
        v.put_bstr(text);
        unique_bstr n(SysAllocString(name));
        return SUCCEEDED(e->setAttribute(n.get(), v.get()));
    };
    if (!element(L"psf:ParameterInit", &parameter) || !element(L"psf:Value", &value)) return false;
    if (!attribute(parameter.get(), L"name", L"pskv11:JobPasscodeString")) return false;
    // xsi:type needs its namespace on the element, as an application's DOM code writes it.
    com_ptr<IXMLDOMNode> typeAttr;
    com_ptr<IXMLDOMAttribute> attr, old;
    if (!create(NODE_ATTRIBUTE, L"xsi:type", kXsi, &typeAttr)) return false;
    typeAttr->put_text(unique_bstr(SysAllocString(L"xsd:string")).get());
    if (FAILED(typeAttr->QueryInterface(IID_IXMLDOMAttribute, attr.put_void()))) return false;
    if (FAILED(value->setAttributeNode(attr.get(), old.put()))) return false;
    value->put_text(unique_bstr(SysAllocString(pin)).get());
    com_ptr<IXMLDOMNode> added1, added2;
    return SUCCEEDED(parameter->appendChild(value.get(), added1.put())) &&
           SUCCEEDED(root->appendChild(parameter.get(), added2.put()));
}

}  // namespace

TEST_F(TicketTest, ApplicationsPinReachesTheHeldJobThroughBothPlugins) {
    PrivateDevmode start = testbed::TicketHost::DefaultRecord();
    Fill(start.holdUserName, L"alice");
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(start);
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(AskForPin(ticket.get(), L"4321")) << Narrow(testbed::XmlText(ticket.get()));
    // The application left the plug-in's destination at the printer; PIN printing wins.
    EXPECT_EQ(host->Validate(ticket.get()), S_PT_CONFLICT_RESOLVED) << Narrow(testbed::XmlText(ticket.get()));
    EXPECT_EQ(testbed::NodeText(ticket.get(),
                                L"/psf:PrintTicket/psf:Feature[@name='psp:JobOutputDestination']/psf:Option/@name"),
              L"psp:ConfidentialPrint");

    PrivateDevmode record = testbed::TicketHost::DefaultRecord();
    Fill(record.holdUserName, L"alice");
    ASSERT_EQ(host->TicketToDevmode(ticket.get(), &record), S_OK);
    EXPECT_EQ(record.outputDestination, static_cast<uint32_t>(DEST_CONFIDENTIAL));
    EXPECT_STREQ(record.holdPin, L"4321");

    testbed::RenderHost render;
    std::wstring error;
    ASSERT_TRUE(render.Start(&error)) << testbed::Narrow(error);
    ASSERT_GE(render.device().privateDm.size(), sizeof(PrivateDevmode));
    std::memcpy(render.device().settings(), &record, sizeof(PrivateDevmode));
    testbed::JobDriver job(render, render.device());
    ASSERT_TRUE(job.Run(testbed::JobSetup{}, 1, &error)) << testbed::Narrow(error);
    EXPECT_NE(job.stream().find("@PJL SET USERNAME = \"alice\"\n"
                                "@PJL SET HOLD = ON\n"
                                "@PJL SET HOLDTYPE = PRIVATE\n"
                                "@PJL SET HOLDKEY = \"4321\"\n"),
              std::string::npos)
        << job.stream().substr(0, 600);
}
