// The gallery page's template (mustache: {{ }} escapes, and nothing in it is left unescaped).
#pragma once

namespace kovra::gallery {

// What every page Kovra writes begins with, and how one is known again (isGalleryPage()).
constexpr const char* kPageStart =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
constexpr const char* kPageMark = "<meta name=\"generator\" content=\"kovra-cli gallery\">\n";
// The rest of the head of the pages written before the mark, to their title.
constexpr const char* kEarlierPageHead =
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self' "
    "file:; style-src 'unsafe-inline'\">\n<title>Kovra gallery: ";

constexpr const char* kPageTemplate = R"KOVRA(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="generator" content="kovra-cli gallery">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src 'self' file:; style-src 'unsafe-inline'">
<title>Kovra gallery: {{title}}</title>
<style>
body { font-family: sans-serif; margin: 0 auto; padding: 0 12px 24px; max-width: 1100px; color: #222; background: #fafafa; }
h1 { font-size: 1.4em; overflow-wrap: anywhere; }
h2 { font-size: 1.15em; margin-top: 1.5em; }
dl.facts { display: grid; grid-template-columns: max-content 1fr; gap: 2px 12px; margin: 0.4em 0; }
dl.facts dt { color: #555; }
dl.facts dd { margin: 0; overflow-wrap: anywhere; }
.glance { display: flex; flex-wrap: wrap; gap: 8px 32px; align-items: flex-start; }
svg.timeline { width: 100%; height: auto; display: block; background: #fff; border: 1px solid #ddd; }
svg.timeline .hour { stroke: #ccc; stroke-width: 1; }
svg.timeline text { font-size: 12px; fill: #555; }
.bar.ok { fill: #2e7d32; }
.bar.repairable { fill: #ef8f00; }
.bar.unreadable { fill: #c62828; }
.legend span { display: inline-block; margin-right: 16px; }
.legend i { display: inline-block; width: 12px; height: 12px; margin-right: 4px; vertical-align: middle; }
.legend .ok { background: #2e7d32; } .legend .repairable { background: #ef8f00; } .legend .unreadable { background: #c62828; }
article.video { background: #fff; border: 1px solid #ddd; border-left: 6px solid #2e7d32; padding: 8px 12px; margin: 12px 0; }
article.video.repairable { border-left-color: #ef8f00; }
article.video.unreadable { border-left-color: #c62828; }
article.video h3 { margin: 0.2em 0; font-size: 1.05em; overflow-wrap: anywhere; }
.pictures { display: flex; flex-wrap: wrap; gap: 12px; align-items: flex-start; }
.cover img { max-width: 100%; height: auto; display: block; }
.strip { display: grid; grid-template-columns: repeat(4, minmax(0, 1fr)); gap: 4px; flex: 1 1 320px; }
.strip img { width: 100%; height: auto; display: block; }
.strip .none, .cover.none { background: #eee; min-height: 60px; padding: 4px; font-size: 0.85em; color: #555; overflow-wrap: anywhere; }
.cover.none { width: 160px; }
.state { font-weight: bold; }
#only-repairable:checked ~ main article.video:not(.repairable) { display: none; }
@media (max-width: 600px) { .strip { grid-template-columns: repeat(2, minmax(0, 1fr)); } dl.facts { grid-template-columns: minmax(0, 1fr); } dl.facts dd { margin-left: 12px; } }
</style>
</head>
<body>
<h1>Kovra gallery: {{title}}</h1>
<section class="glance" id="glance">
<dl class="facts">
{{#glance}}<dt>{{label}}</dt><dd>{{value}}</dd>
{{/glance}}</dl>
<div>
<h2>Recorder settings (CONFIG.SYS)</h2>
{{#hasSettings}}<dl class="facts" id="settings">
{{#settings}}<dt>{{label}}</dt><dd>{{value}}</dd>
{{/settings}}</dl>{{/hasSettings}}
{{^hasSettings}}<p id="settings">{{settingsAbsent}}</p>{{/hasSettings}}
<h2>Recorder clock (TIME.txt)</h2>
<p id="clock">{{clock}}</p>
</div>
</section>
<input type="checkbox" id="only-repairable"><label for="only-repairable"> Show only the repairable videos</label>
<main>
<h2>Timeline</h2>
<p class="legend"><span><i class="ok"></i>ok</span><span><i class="repairable"></i>repairable</span><span><i class="unreadable"></i>unreadable</span></p>
{{#days}}
<h3>{{date}}</h3>
<svg class="timeline" viewBox="0 0 {{width}} {{height}}" data-from="{{from}}" data-to="{{to}}" role="img" aria-label="Recordings of {{date}}">
{{#hours}}<line class="hour" x1="{{x}}" y1="{{lineTop}}" x2="{{x}}" y2="{{height}}"/><text x="{{x}}" y="{{labelY}}" text-anchor="{{anchor}}">{{label}}</text>
{{/hours}}{{#bars}}<a href="#{{id}}"><rect class="bar {{state}}" x="{{x}}" y="{{barTop}}" width="{{width}}" height="{{barHeight}}" data-start="{{start}}" data-end="{{end}}"><title>{{name}}: {{startText}} to {{endText}}</title></rect></a>
{{/bars}}</svg>
{{/days}}
{{#hasUntimed}}<h3>No readable time</h3>
<ul id="untimed">
{{#untimed}}<li><a href="#{{id}}">{{name}}</a> ({{state}})</li>
{{/untimed}}</ul>{{/hasUntimed}}
<h2>Videos</h2>
{{#videos}}<article class="video {{state}}" id="{{id}}">
<h3><a href="{{link}}">{{name}}</a></h3>
<p><span class="state">{{state}}</span>{{#hasFindings}}:{{/hasFindings}}</p>
{{#hasFindings}}<ul class="findings">
{{#findings}}<li>{{.}}</li>
{{/findings}}</ul>{{/hasFindings}}
{{#hasPictures}}<div class="pictures">
{{#cover}}<a class="cover" href="{{videoLink}}"><img src="{{link}}" width="{{width}}" height="{{height}}" alt="first frame of {{name}}"></a>{{/cover}}{{#coverRefused}}<div class="cover none">No picture: {{coverRefused}}</div>{{/coverRefused}}
<div class="strip">
{{#strip}}{{#present}}<img src="{{link}}" width="{{width}}" height="{{height}}" alt="frame {{number}} of {{name}}">{{/present}}{{^present}}<div class="none">{{#refused}}No picture: {{refused}}{{/refused}}</div>{{/present}}
{{/strip}}</div>
</div>{{/hasPictures}}
<dl class="facts">
{{#facts}}<dt>{{label}}</dt><dd>{{value}}</dd>
{{/facts}}</dl>
</article>
{{/videos}}
</main>
</body>
</html>
)KOVRA";

} // namespace kovra::gallery
