// zintavel-art 320x240 alpha
// A mountain range along the bottom, faceted enamel peaks lit by the low sun
// from the left. It sinks into the ground toward both ends: when it slides
// aside, its end is a slope, not a cut.
#include "one_stage.inc"
#declare Rand = seed(7);
#declare Pyramid = prism { conic_sweep linear_spline 0, 1, 5, <1, 1>, <-1, 1>, <-1, -1>, <1, -1>, <1, 1>
  rotate 180 * x translate y }
// The two ends are cut back along slopes of 80 rows in 96 columns.
#declare Slope = vnormalize(<80, 96, 0>);
intersection {
union {
  #for (X, -8, 328, 16)
    #declare Rise = min(1, min(X + 16, 336 - X) / 96);
    #declare Peak = 150 + (rand(Rand) - 0.5) * 60 + 25 * sin(X * 0.02);
    #declare H = max(6, (250 - Peak) * sqrt(max(0, Rise)));
    object { Pyramid scale <H * 0.6, H, H * 0.6> rotate (35 + rand(Rand) * 20) * y
      translate Px(X, 250, 0) - <0, 0, 0> }
  #end
  }
  plane { Slope, vdot(Slope, <320, 8, 0>) }
  plane { Slope * <-1, 1, 1>, vdot(Slope * <-1, 1, 1>, <0, 8, 0>) }
  Enamel(srgb <0.36, 0.30, 0.52>)
}
