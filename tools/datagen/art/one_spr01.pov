// zintavel-art 320x240 alpha
// The left totem (pole at x 95): enamel nuts threaded on a brass pole, widest at
// the top. The two meet from opposite sides with the moon high between them.
#include "one_stage.inc"
#declare Hex = Polygon(6, 1, 0);
union {
  object { Rod(<0, 98, 0>, <0, -102, 0>, 3.5) material { Brass } }
  #for (K, 0, 4)
    #declare Y = 76 - K * 40;
    #declare R = 26 - K * 2;
    prism { linear_sweep linear_spline -6, 6, 7,
      #for (I, 0, 5) <Hex[I].x * R, Hex[I].y * R>, #end <Hex[0].x * R, Hex[0].y * R>
      rotate 30 * y translate Y * y Enamel(Ember) }
    torus { R * 0.55, 1.6 translate (Y + 6.5) * y material { Brass } }
  #end
  rotate <-18, 10, 0>
  translate Px(95, 122, 0)
}
