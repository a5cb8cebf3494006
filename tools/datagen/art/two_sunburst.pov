// zintavel-art 320x240 alpha
// The figure that springs up at the crash: a brass bust before a sunburst of
// brass and rose, a display across its chest. The scene loads this picture
// twice and blanks the display's glass (columns 70..254, rows 120..147) to
// black in the copy shown first, so the display is dark as the figure rises
// and lights up when the scene switches to the whole picture. A chrome bezel
// rings the glass, so the blanked band reads as a display switched off.
#include "two_figures.inc"
FigureLights(1.25)
// It is the scene's peak: a warm fill from the front keeps the brass bright.
light_source { <-200, 100, -900> color Amber * 0.5 shadowless }
// Brass that shows its colour even where it mirrors the night.
#declare BrightBrass = material { texture {
  pigment { color Amber }
  finish { ambient 0 emission 0.1 diffuse 0.6 reflection { 0.3 metallic } specular 0.8 roughness 0.01 metallic }
} }

#declare Centre = <162, -62, 40>;
// Rays behind the head, tapered to points; none reaches the top rows, which
// the scene's sway lifts into view.
#declare Rays = 22;
#for (I, 0, Rays - 1)
  #declare A = (I + 0.5) * 360 / Rays;
  #declare S = sin(radians(A));
  #declare Reach = (S > 0.05 ? min(175, 54 / S) : 175);
  prism { linear_sweep linear_spline 0, 4, 4, <0, -11>, <Reach, 0>, <0, 11>, <0, -11>
    rotate -x * 90 rotate z * A translate Centre
    #if (mod(I, 2) = 0) material { BrightBrass } #else Enamel(Rose) #end
  }
#end
// A brass ring round the head.
torus { 40, 3.5 rotate x * 90 translate Centre - z * 10 material { BrightBrass } }

// The bust, its visor lit rose like the scanned figure's.
intersection {
  sphere { 0, 1 scale <27.5, 33.5, 27.5> rotate z * -6 translate <162, -60, 0> }
  box { <120, -72, -60>, <210, -64, 10> }
  texture { pigment { gradient x color_map { [0 color Rose] [0.5 color Amber * 1.2] [1 color Rose] } scale 56 translate x * 134 } finish { ambient 0 diffuse 0 emission 1.1 } }
}
sphere { 0, 1 scale <25, 31, 25> rotate z * -6 translate <162, -60, 0> material { BrightBrass } }
blob { threshold 0.5
  cylinder { <162, -84, 0>, <162, -108, 0>, 18, 1 }
  sphere { <112, -124, 12>, 38, 1 }
  sphere { <212, -124, 12>, 38, 1 }
  cylinder { <120, -118, 14>, <204, -118, 14>, 34, 1 }
  cylinder { <162, -140, 16>, <162, -280, 16>, 120, 1 }
  material { BrightBrass }
}
// The display: a chrome bezel round glass that glows rose to amber in bars.
difference {
  box { <62, -155, -96>, <262, -113, -86> }
  box { <70, -148, -97>, <255, -120, -85> }
  material { Chrome }
}
box { <69.5, -148.5, -92>, <255.5, -119.5, -90>
  texture {
    pigment { gradient x color_map { [0 color Rose] [0.55 color Ember] [1 color Amber] } scale 186 translate x * 69.5 }
    finish { ambient 0 diffuse 0 emission 1 }
  }
  // Dark gaps between the bars.
  texture {
    pigment { gradient x color_map { [0 color rgbt 1] [0.72 color rgbt 1] [0.72 color Night transmit 0.25] [1 color Night transmit 0.25] } scale 9.25 translate x * 69.5 }
    finish { ambient 0 diffuse 0 emission 1 }
  }
}
