// The example device (which holds the network and module definitions) and
// the rules example survive the formats in turn: description -> XML value
// file -> binary parameter file, with equal trees and device images at every
// step.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"

namespace {

struct Definition {
  const char* file;
  const char* key;
};

const Definition kDefinitions[] = {
    {"device", "DEVICE"}, {"rules", "NETWORK"},
};

class RoundTrip : public DescriptionFolder, public ::testing::WithParamInterface<Definition> {};

}  // namespace

TEST_P(RoundTrip, DescriptionXmlBinary) {
  const Definition definition = GetParam();
  CapturedOutput output;
  CAppResources resources;
  resources.Init();
  CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  const auto described = CAppStreamXML::Load(definition.file, &resources, definition.key);
  ASSERT_NE(described, nullptr);

  CAppToolsXML::SetPath(Dir());
  ASSERT_TRUE(CAppStreamXML::Save("saved", described.get()));
  const auto fromXml = CAppStreamXML::Load("saved", &resources, definition.key);
  ASSERT_NE(fromXml, nullptr);

  const std::string binFile = Dir() + "saved.bin";
  CAppStreamBin::Save(fromXml.get(), binFile);
  const auto fromBin = CAppStreamBin::Load(binFile);
  ASSERT_NE(fromBin, nullptr);
  fromBin->Check(&resources);

  for (CAppParam* copy : {fromXml.get(), fromBin.get()}) {
    EXPECT_EQ(ParamTreeLines(described.get()), ParamTreeLines(copy));
    EXPECT_EQ(ImageOf(*described), ImageOf(*copy));
  }
  EXPECT_TRUE(output.lines.empty()) << output.lines.front();
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundTrip, ::testing::ValuesIn(kDefinitions),
                         [](const ::testing::TestParamInfo<Definition>& info) {
                           return std::string(info.param.file) + "_" + info.param.key;
                         });
