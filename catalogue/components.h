// The seven installable parts of the product, always in this order.
#ifndef ZELTA_CATALOGUE_COMPONENTS_H
#define ZELTA_CATALOGUE_COMPONENTS_H

enum Component {
  ComponentSetup = 0,
  ComponentSystems,
  ComponentDrawings,
  ComponentBlocks,
  ComponentProjects,
  ComponentDatas,
  ComponentHelp,
  ComponentCount
};

struct ComponentInfo {
  const char* Key;    // catalogue key and file-list section
  int CheckBoxId;     // setup-dialog check box
  const char* Label;  // its label (Windows-1250)
};

extern const ComponentInfo Components[ComponentCount];

#endif
