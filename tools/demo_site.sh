# The demo's site: five simulated door phones, one per segment of a
# throw-away network lab, each with fields of its own. Sourced by demo.sh and
# readme_screenshot.sh after tools/netlab.sh, with LAB_SIM set.
demo_site_up() {
  lab_up --segments 5 --devices 1 || return $?
  lab_start_sim 1 --mac 00-1A-2B-3C-4D-01 --sw-version 2.4.1 --serial 202311070001 --description "Front gate" &&
  lab_start_sim 2 --mac 00-1A-2B-3C-4D-02 --sw-version 2.4.1 --serial 202311070002 --description "前门门口机" &&
  lab_start_sim 3 --mac 00-1A-2B-3C-4D-03 --sw-version 2.3.9 --serial 202305120417 --description "Garage entrance" &&
  lab_start_sim 4 --mac 00-1A-2B-3C-4D-04 --sw-version 3.0.0 --serial 202402200033 --description "Building B lobby" &&
  lab_start_sim 5 --mac 00-1A-2B-3C-4D-05 --sw-version 2.4.1 --serial 202311070015 --description "Parcel room"
}
