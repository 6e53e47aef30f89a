#pragma once
// The synthetic 1280 x 720 camera scene of the benchmarks: gradients with a fixed texture, a parked
// object, someone walking through and sensor noise. Generated before any clock starts.
#include <QImage>
#include <QSize>

#include <vector>

constexpr QSize BenchSceneSize(1280, 720);

std::vector<QImage> BenchScene(int count);
