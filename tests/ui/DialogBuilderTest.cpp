#include "ui/DialogBuilder.h"

#include <fstream>

#include "ToolkitFixture.h"
#include "support/TempDir.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/ListUI.h"
#include "ui/ResourceManager.h"
#include "ui/TabLayoutUI.h"

namespace marlo::ui::test {
namespace {

class DialogBuilderTest : public ToolkitFixture {};

TEST_F(DialogBuilderTest, EveryControlKindIsBuiltFromItsTag) {
    const char* tags[] = {"Control",
                          "Container",
                          "VerticalLayout",
                          "HorizontalLayout",
                          "TabLayout",
                          "Label",
                          "Text",
                          "Button",
                          "Option",
                          "CheckBox",
                          "Edit",
                          "RichEdit",
                          "Progress",
                          "Slider",
                          "Combo",
                          "List",
                          "ListLabelElement",
                          "ListContainerElement"};
    std::string xml = "<Window><VerticalLayout name=\"root\">";
    for (const char* tag : tags) {
        xml += std::string("<") + tag + " name=\"n_" + tag + "\"/>";
    }
    xml += "</VerticalLayout></Window>";
    Build(xml);
    EXPECT_TRUE(errors_.empty());
    for (const char* tag : tags) {
        CControlUI* c = manager_.FindControl(std::string("n_") + tag);
        ASSERT_NE(c, nullptr) << tag;
        EXPECT_EQ(CDialogBuilder::TagOf(c->GetClass()), tag);
    }
    EXPECT_EQ(manager_.FindControlsByClass("ButtonUI").size(), 1u);
}

TEST_F(DialogBuilderTest, ErrorsNameFileAndLineAndTheRestIsBuilt) {
    Build(
        "<Window>\n<VerticalLayout name=\"root\">\n<Bogus name=\"x\"/>\n<Button name=\"b\" "
        "hotbkcolor=\"#FF000000\" colour=\"red\"/>\n"
        "<Label name=\"l\"><Button name=\"inner\"/></Label>\n</VerticalLayout></Window>");
    ASSERT_EQ(errors_.size(), 3u);
    EXPECT_EQ(errors_[0], "test.xml:3: unknown control class <Bogus>");
    EXPECT_EQ(errors_[1], "test.xml:4: unknown attribute 'colour' of <Button>");
    EXPECT_NE(errors_[2].find("test.xml:5:"), std::string::npos);
    EXPECT_NE(manager_.FindControl("b"), nullptr);
    EXPECT_EQ(manager_.FindControl("b")->GetAttribute("colour"), "red") << "kept all the same";
    EXPECT_EQ(manager_.FindControl("x"), nullptr);

    CDialogBuilder broken;
    auto partial = broken.CreateFromText(
        "<Window>\n<VerticalLayout name=\"v\">\n<Button name=\"ok\"/>\n<Label", "broken.xml");
    ASSERT_EQ(broken.errors().size(), 1u);
    EXPECT_EQ(broken.errors()[0].rfind("broken.xml:4:", 0), 0u) << broken.errors()[0];
    ASSERT_NE(partial, nullptr);
    EXPECT_NE(dynamic_cast<CContainerUI*>(partial.get())->FindSubControl("ok"), nullptr);
    CDialogBuilder empty;
    EXPECT_EQ(empty.CreateFromText("", "empty.xml"), nullptr);
    EXPECT_FALSE(empty.errors().empty());
}

// One of the program's own classes, registered with the factory as start-up does.
class CSelectPanelUI : public CHorizontalLayoutUI {
  public:
    std::string_view GetClass() const override { return "SelectPanelUI"; }
};

class CallbackControl : public CControlUI {
  public:
    std::string_view GetClass() const override { return "DeviceKeyButtonUI"; }
};

struct Callback : IDialogBuilderCallback {
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override {
        asked.emplace_back(className);
        return className == "DeviceKeyButton" ? std::make_unique<CallbackControl>() : nullptr;
    }
    std::vector<std::string> asked;
};

TEST_F(DialogBuilderTest, FactoryCallbackDefaultsFontsIncludesAndWindowAttributes) {
    CControlFactory::GetInstance().RegistControl("CSelectPanelUI",
                                                 [] { return std::make_unique<CSelectPanelUI>(); });
    marlo::test::TempDir dir;
    std::ofstream(dir / "part.xml") << "<Window><HorizontalLayout name=\"included\"><Button "
                                       "name=\"inc_btn\"/></HorizontalLayout></Window>";
    std::ofstream(dir / "loop.xml")
        << "<Window><VerticalLayout><Include source=\"loop.xml\"/></VerticalLayout></Window>";
    CPaintManagerUI::SetResourcePath(dir.path().string());
    Callback callback;
    CDialogBuilder builder;
    auto root = builder.CreateFromText(R"(<Window size="800,572" caption="0,0,0,30">
        <Font id="3" name="Noto Sans" size="18" bold="true" default="true"/>
        <Default name="Button" value="textcolor=&quot;#FFFF0000&quot; tooltip=&quot;hint&quot;"/>
        <VerticalLayout name="root">
            <SelectPanel name="panel"><DeviceKeyButton name="key_12" userdata="light_3"/></SelectPanel>
            <Button name="b1" tooltip="own"/><Button name="b2"/>
            <Include source="part.xml"/>
            <Include source="loop.xml"/>
            <KeySetControl name="unknown"/>
        </VerticalLayout></Window>)",
                                       "main.xml", &callback, &manager_);
    manager_.AttachDialog(std::move(root));
    EXPECT_EQ(manager_.FindControl("panel")->GetClass(), "SelectPanelUI");
    EXPECT_EQ(manager_.FindControl("key_12")->GetClass(), "DeviceKeyButtonUI");
    EXPECT_EQ(manager_.FindControl("key_12")->GetUserData(), "light_3");
    EXPECT_EQ(callback.asked, (std::vector<std::string>{"DeviceKeyButton", "KeySetControl"}));
    EXPECT_EQ(manager_.FindControl("b1")->GetToolTip(), "own")
        << "the element's own attribute wins";
    EXPECT_EQ(manager_.FindControl("b2")->GetToolTip(), "hint");
    EXPECT_EQ(manager_.FindControl("b2")->GetColorAttribute("textcolor"), 0xFFFF0000u);
    EXPECT_NE(manager_.FindControl("inc_btn"), nullptr);
    EXPECT_EQ(manager_.GetWindowAttribute("size"), "800,572");
    ASSERT_NE(manager_.GetFont(3), nullptr);
    EXPECT_TRUE(manager_.GetFont(3)->bold);
    EXPECT_EQ(manager_.GetDefaultFont().size, 18);
    bool loopReported = false;
    bool unknownReported = false;
    for (const auto& e : builder.errors()) {
        loopReported |= e.find("nested deeper") != std::string::npos;
        unknownReported |= e.find("<KeySetControl>") != std::string::npos;
    }
    EXPECT_TRUE(loopReported);
    EXPECT_TRUE(unknownReported);
    EXPECT_EQ(manager_.FindSubControlByName(manager_.FindControl("panel"), "key_12"),
              manager_.FindControl("key_12"));
}

TEST_F(DialogBuilderTest, ALayoutThatMultipliesItselfIsCutOffWithItsFileAndLine) {
    // Each level includes itself 64 times: unbounded, it grows without end.
    marlo::test::TempDir dir;
    std::ofstream(dir / "bomb.xml") << "<Window><VerticalLayout>\n"
                                       "  <Button/><Include source=\"bomb.xml\" count=\"64\"/>\n"
                                       "</VerticalLayout></Window>";
    CPaintManagerUI::SetResourcePath(dir.path().string());
    CDialogBuilder builder;
    auto root = builder.Create("bomb.xml");
    ASSERT_NE(root, nullptr) << "what was built before the bound is kept";
    size_t controls = 0;
    std::function<void(const CControlUI&)> count = [&](const CControlUI& c) {
        ++controls;
        if (const auto* container = dynamic_cast<const CContainerUI*>(&c)) {
            for (int i = 0; i < container->GetCount(); ++i) {
                count(*container->GetItemAt(i));
            }
        }
    };
    count(*root);
    EXPECT_LE(controls, 50000u);
    ASSERT_FALSE(builder.errors().empty());
    const bool named = std::any_of(
        builder.errors().begin(), builder.errors().end(),
        [&](const std::string& e) { return e.starts_with((dir / "bomb.xml").string() + ":2: "); });
    EXPECT_TRUE(named) << builder.errors().front();
}

// Large files included many times: the XML parsed per layout is bounded, so the build ends in
// moments with an error naming the file and line, not after hours.
TEST_F(DialogBuilderTest, ALayoutOfLargeIncludesIsCutOffByTheBytesItParses) {
    marlo::test::TempDir dir;
    const std::string padding = "<!--" + std::string(1024 * 1024, 'x') + "-->\n";
    std::ofstream(dir / "big.xml") << "<Window>" << padding
                                   << "<VerticalLayout><Include source=\"big.xml\" count=\"64\"/>"
                                      "</VerticalLayout></Window>";
    CPaintManagerUI::SetResourcePath(dir.path().string());
    CDialogBuilder builder;
    builder.Create("big.xml");
    ASSERT_FALSE(builder.errors().empty());
    const bool cut = std::any_of(
        builder.errors().begin(), builder.errors().end(), [&](const std::string& e) {
            return e.starts_with((dir / "big.xml").string() + ":2: the layout parses more than");
        });
    EXPECT_TRUE(cut) << builder.errors().front();
}

TEST_F(DialogBuilderTest, ResourceNamesAndTheShippedSkin) {
    const std::string skin = std::string(MARLO_SKIN_DIR);
    CPaintManagerUI::SetResourcePath(skin);
    ASSERT_TRUE(CResourceManager::GetInstance().LoadResource(skin + "/res.xml"));
    for (const char* name : {"XML_MAIN", "XML_MSG"}) {
        CDialogBuilder builder;
        CPaintManagerUI manager;
        EXPECT_NE(builder.Create(name, nullptr, &manager), nullptr) << name;
        EXPECT_TRUE(builder.errors().empty()) << name << ": " << builder.errors().front();
    }
    CResourceManager::GetInstance().Release();
}

}  // namespace
}  // namespace marlo::ui::test
