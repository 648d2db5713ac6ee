#include <QCoreApplication>

#include <gtest/gtest.h>

// The script engine and process launching want an application object.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
